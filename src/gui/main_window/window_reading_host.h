#pragma once

#include "common/background_job.h"
#include "workbook/reading_host.h"

#include <QPointer>
#include <utility>
#include <vector>

class QAction;
class QMainWindow;
class QWidget;

namespace tavrune {

class UserInteraction;

// Reads workbook files for the windows on a thread of their own, one after
// another, while the event loop goes on: the main window and the format editor are
// disabled meanwhile, as during a run, and the progress window names the file
// being read; its button, Esc or its close button cancel.
class WindowReadingHost : public ReadingHost
{
public:
    WindowReadingHost(UserInteraction& interaction, QMainWindow& mainWindow, QWidget& formatEditor);

    bool read(const WorkbookLoads& loads) override;

private:
    using EnabledStates = std::vector<std::pair<QPointer<QAction>, bool>>;

    // Disables every command of the main window but keeps its menus openable.
    EnabledStates disableCommands();
    static void restore(const EnabledStates& states);

    UserInteraction& m_interaction;
    QMainWindow& m_mainWindow;
    QWidget& m_formatEditor;
    // Lives as long as the windows: a cancelled reading runs to its end on its own,
    // and only the end of the program waits for it.
    BackgroundJob m_job;
};

} // namespace tavrune
