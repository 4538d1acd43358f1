#include "gui/main_window/window_reading_host.h"

#include "gui/run/progress_dialog.h"

#include <QAction>
#include <QEventLoop>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>

namespace tavrune {

WindowReadingHost::WindowReadingHost(UserInteraction& interaction, QMainWindow& mainWindow,
                                     QWidget& formatEditor)
    : m_interaction(interaction), m_mainWindow(mainWindow), m_formatEditor(formatEditor),
      // A load keeps whatever its reading throws, for its install.
      m_job([](const QString&) {})
{
}

bool WindowReadingHost::read(const WorkbookLoads& loads)
{
    if (loads.empty()) {
        return true;
    }
    // Put back as they were rather than enabled: files handed over by another
    // start of the program are read even while a run keeps the windows disabled.
    QWidget& controls = *m_mainWindow.centralWidget();
    const bool controlsEnabled = controls.isEnabled();
    const bool editorEnabled = m_formatEditor.isEnabled();
    const EnabledStates commands = disableCommands();
    controls.setEnabled(false);
    m_formatEditor.setEnabled(false);
    // Made after the windows are disabled, so that it stays enabled.
    bool cancelFlag = false;
    auto progress = std::make_unique<ProgressDialog>(m_interaction, cancelFlag, &m_mainWindow,
                                                     ProgressDialog::Kind::Reading);
    progress->show();
    progress->activateWindow();
    QEventLoop loop;
    QObject::connect(progress.get(), &ProgressDialog::cancelled, &loop, &QEventLoop::quit);
    bool read = true;
    for (const std::shared_ptr<WorkbookLoad>& load : loads) {
        progress->setProgressText(QFileInfo(load->path()).fileName());
        bool delivered = false;
        m_job.start([load, &delivered, &loop](const std::atomic_bool&) -> BackgroundJob::Delivery {
            load->read();
            return [&delivered, &loop] {
                delivered = true;
                loop.quit();
            };
        });
        loop.exec();
        // A cancel wins over a reading that ended in the same turn of the loop.
        if (!delivered || cancelFlag) {
            // Cancelled, or the program is ending: what the reading still brings
            // is dropped.
            m_job.cancel();
            read = false;
            break;
        }
    }
    progress.reset();
    restore(commands);
    controls.setEnabled(controlsEnabled);
    m_formatEditor.setEnabled(editorEnabled);
    return read;
}

WindowReadingHost::EnabledStates WindowReadingHost::disableCommands()
{
    EnabledStates states;
    for (QAction* action : m_mainWindow.findChildren<QAction*>()) {
        // A menu's own entry stays, so that the menu opens.
        if (action->menu() == nullptr) {
            states.emplace_back(action, action->isEnabled());
            action->setEnabled(false);
        }
    }
    return states;
}

void WindowReadingHost::restore(const EnabledStates& states)
{
    for (const auto& [action, enabled] : states) {
        if (action) {
            action->setEnabled(enabled);
        }
    }
}

} // namespace tavrune
