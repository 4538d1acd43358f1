#include "gui/run/window_run_host.h"

#include "gui/run/progress_dialog.h"

#include <QCoreApplication>
#include <QWidget>

namespace tavrune {

WindowRunHost::WindowRunHost(UserInteraction& interaction, QWidget& mainWindow,
                             QWidget& formatEditor)
    : m_interaction(interaction), m_mainWindow(mainWindow), m_formatEditor(formatEditor)
{
}

WindowRunHost::~WindowRunHost()
{
    // The dialog refers to the cancel flag kept here.
    removeProgressDialog();
}

void WindowRunHost::beginRun()
{
    removeProgressDialog();
    m_mainWindow.setEnabled(false);
    m_formatEditor.setEnabled(false);
    // Created only now: it takes the main window's stay-on-top state of this
    // moment, and it stays enabled, whereas an owned window that exists when its
    // owner is disabled is disabled with it.
    m_progress = new ProgressDialog(m_interaction, m_cancelFlag, &m_mainWindow);
    m_progress->show();
}

void WindowRunHost::setProgressText(const QString& text)
{
    if (!m_progress.isNull()) {
        m_progress->setProgressText(text);
    }
}

void WindowRunHost::endRun()
{
    m_mainWindow.setEnabled(true);
    m_formatEditor.setEnabled(true);
    removeProgressDialog();
}

void WindowRunHost::processEvents()
{
    QCoreApplication::processEvents();
}

void WindowRunHost::removeProgressDialog()
{
    delete m_progress.data();
}

} // namespace tavrune
