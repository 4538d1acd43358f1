#include "gui/connections/database_reading.h"

#include "common/error.h"
#include "common/user_interaction.h"
#include "gui/connections/password_keyring.h"
#include "gui/run/progress_dialog.h"

#include <QWidget>

namespace tavrune {

DatabaseReading::DatabaseReading(UserInteraction& interaction, QWidget* window,
                                 BackgroundJob::Failure failed)
    : QObject(window), m_interaction(interaction), m_window(window), m_failed(std::move(failed))
{
    m_job = new BackgroundJob(
        [this](const QString& why) {
            end();
            m_failed(why);
        },
        this);
    m_keyring = new PasswordKeyring(this);
}

DatabaseReading::~DatabaseReading() = default;

void DatabaseReading::start(const DatabaseTarget& target, Work work)
{
    m_target = target;
    m_work = std::move(work);
    m_cancelFlag = false;
    m_progress = std::make_unique<ProgressDialog>(m_interaction, m_cancelFlag, m_window.data(),
                                                  ProgressDialog::Kind::Database);
    m_progress->setProgressText(databaseUrlText(target.url));
    connect(m_progress.get(), &ProgressDialog::cancelled, this, [this] {
        cancel();
        m_failed(QString());
    });
    m_progress->show();
    if (!target.rememberPassword) {
        run({}, false);
        return;
    }
    const QString key = databaseUrlText(target.url);
    m_keyring->read(key, [this](const std::optional<QString>& password) {
        if (!m_cancelFlag && m_progress != nullptr) {
            run(password.value_or(QString()), false);
        }
    });
}

void DatabaseReading::run(const QString& password, bool keep)
{
    DatabaseUrl url = m_target.url;
    url.password = password;
    m_job->start([this, url, work = m_work,
                  keep](const std::atomic_bool& cancelled) -> BackgroundJob::Delivery {
        try {
            BackgroundJob::Delivery delivery = work(url, cancelled);
            return [this, delivery, password = keep ? url.password : QString()] {
                succeeded(delivery, password);
            };
        } catch (const Error& error) {
            // A file is opened as it is; a server may want a password.
            if (error.number() != ErrorNumber::ConnectionFailed ||
                url.kind == DatabaseKind::Sqlite) {
                throw;
            }
            return [this, why = error.description()] { askForPassword(why); };
        }
    });
}

void DatabaseReading::askForPassword(const QString& why)
{
    m_progress->hide();
    m_asking = true;
    const std::optional<PasswordAnswer> answer = m_interaction.askPassword(
        why + QStringLiteral("\n\n%1 のパスワード:").arg(databaseUrlText(m_target.url)),
        m_target.rememberPassword);
    m_asking = false;
    if (m_progress == nullptr) {
        return;
    }
    if (!answer) {
        end();
        m_failed(QString());
        return;
    }
    m_progress->show();
    run(answer->password, answer->remember);
}

void DatabaseReading::succeeded(const BackgroundJob::Delivery& delivery,
                                const QString& keptPassword)
{
    end();
    if (!keptPassword.isEmpty()) {
        const QString key = databaseUrlText(m_target.url);
        m_keyring->write(key, keptPassword, [this, key](const QString& why) {
            if (!why.isEmpty()) {
                m_interaction.showMessage(
                    QStringLiteral("%1 のパスワードをキーリングに保存できません: %2").arg(key, why),
                    MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok);
            }
        });
    }
    delivery();
}

void DatabaseReading::cancel()
{
    m_job->cancel();
    end();
}

void DatabaseReading::end()
{
    m_progress.reset();
}

} // namespace tavrune
