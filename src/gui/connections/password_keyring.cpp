#include "gui/connections/password_keyring.h"

#include "common/error.h"
#include "database/database_url.h"

#include <qt6keychain/keychain.h>

namespace tavrune {

namespace {

const QString kService = QStringLiteral("Tavrune for Excel");

template <typename Job> Job* makeJob(const QString& key, QObject* parent)
{
    auto* job = new Job(kService, parent);
    job->setAutoDelete(true);
    // Never a file of plain text in place of a keyring that is missing.
    job->setInsecureFallback(false);
    job->setKey(key);
    return job;
}

void finish(QKeychain::Job* job, const PasswordKeyring::Done& done)
{
    QObject::connect(job, &QKeychain::Job::finished, job, [done](QKeychain::Job* finished) {
        done(finished->error() == QKeychain::NoError ? QString() : finished->errorString());
    });
    job->start();
}

} // namespace

PasswordKeyring::PasswordKeyring(QObject* parent) : QObject(parent) {}

void PasswordKeyring::read(const QString& key, Found found)
{
    auto* job = makeJob<QKeychain::ReadPasswordJob>(key, this);
    connect(job, &QKeychain::Job::finished, this, [found](QKeychain::Job* finished) {
        if (finished->error() != QKeychain::NoError) {
            found(std::nullopt);
            return;
        }
        found(static_cast<QKeychain::ReadPasswordJob*>(finished)->textData());
    });
    job->start();
}

void PasswordKeyring::write(const QString& key, const QString& password, Done done)
{
    auto* job = makeJob<QKeychain::WritePasswordJob>(key, this);
    job->setTextData(password);
    finish(job, done);
}

void PasswordKeyring::remove(const QString& key, Done done)
{
    finish(makeJob<QKeychain::DeletePasswordJob>(key, this), done);
}

QSet<QString> PasswordKeyring::keysOf(const ConnectionSettings& connections)
{
    QSet<QString> keys;
    for (const ConnectionSetting& connection : connections) {
        if (!connection.RememberPassword) {
            continue;
        }
        try {
            keys.insert(databaseUrlText(databaseUrlOf(connection)));
        } catch (const Error&) {
            // A connection that leads nowhere never had a password kept.
        }
    }
    return keys;
}

void PasswordKeyring::forgetAllBut(const QSet<QString>& before, const QSet<QString>& kept)
{
    for (const QString& key : before) {
        if (!kept.contains(key)) {
            remove(key, [](const QString&) {});
        }
    }
}

} // namespace tavrune
