#pragma once

#include "generation/run_host.h"

#include <QPointer>

class QWidget;

namespace tavrune {

class ProgressDialog;

// The run host of the windows: messages and questions go to the given interaction,
// the run disables the main window and the format editor and shows the progress
// window, whose cancel button sets the cancel flag kept here.
class WindowRunHost : public RunHost
{
public:
    WindowRunHost(UserInteraction& interaction, QWidget& mainWindow, QWidget& formatEditor);
    ~WindowRunHost() override;

    WindowRunHost(const WindowRunHost&) = delete;
    WindowRunHost& operator=(const WindowRunHost&) = delete;

    UserInteraction& interaction() override { return m_interaction; }
    void beginRun() override;
    void setProgressText(const QString& text) override;
    void endRun() override;
    void processEvents() override;
    void resetCancelFlag() override { m_cancelFlag = false; }
    bool cancelFlag() const override { return m_cancelFlag; }
    // Stops the run at its next yield without asking, for a program that ends.
    void cancel() { m_cancelFlag = true; }

private:
    void removeProgressDialog();

    UserInteraction& m_interaction;
    QWidget& m_mainWindow;
    QWidget& m_formatEditor;
    // Owned by the main window, which may destroy it first.
    QPointer<ProgressDialog> m_progress;
    bool m_cancelFlag = false;
};

} // namespace tavrune
