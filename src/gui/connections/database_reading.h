#pragma once

#include "common/background_job.h"
#include "database/database_url.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

namespace tavrune {

class PasswordKeyring;
class ProgressDialog;
class UserInteraction;

// Work on a database for a window, off the window's thread, with the progress
// window "データベース読み込み中" up meanwhile; its cancel gives the work up. The
// password comes from the keyring for a connection that keeps it there; when
// connecting fails all the same (for a server, not a file), the user is asked for
// one and the work starts again with it, until it connects or the question is
// cancelled. A password typed for a connection that keeps it is kept in the
// keyring once it has connected.
class DatabaseReading : public QObject
{
public:
    // Runs on a thread of its own with the URL the password was put in; what it
    // returns is called back on the window's thread.
    using Work = std::function<BackgroundJob::Delivery(const DatabaseUrl& url,
                                                       const std::atomic_bool& cancelled)>;
    // failed is told why the work failed, or an empty text when the user gave it up.
    DatabaseReading(UserInteraction& interaction, QWidget* window, BackgroundJob::Failure failed);
    ~DatabaseReading() override;

    void start(const DatabaseTarget& target, Work work);
    // Gives the work up, saying nothing.
    void cancel();
    bool isRunning() const { return m_job->isRunning() || m_asking; }

private:
    void run(const QString& password, bool keep);
    void askForPassword(const QString& why);
    void succeeded(const BackgroundJob::Delivery& delivery, const QString& keptPassword);
    void end();

    UserInteraction& m_interaction;
    QPointer<QWidget> m_window;
    BackgroundJob::Failure m_failed;
    BackgroundJob* m_job = nullptr;
    PasswordKeyring* m_keyring = nullptr;
    std::unique_ptr<ProgressDialog> m_progress;
    bool m_cancelFlag = false;
    bool m_asking = false;
    DatabaseTarget m_target;
    Work m_work;
};

} // namespace tavrune
