#pragma once

#include "settings/connection_settings.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>

namespace tavrune {

// Passwords kept in the desktop's keyring (the Secret Service, or KWallet), under
// the program's name and a key naming the database and the user. Each call returns
// at once; what it finds comes back through the event loop.
class PasswordKeyring : public QObject
{
public:
    using Found = std::function<void(const std::optional<QString>& password)>;
    // Called with an empty text on success, else why the keyring refused.
    using Done = std::function<void(const QString& why)>;

    explicit PasswordKeyring(QObject* parent = nullptr);

    // The password kept for key, or none (nothing kept, or no keyring at all).
    void read(const QString& key, Found found);
    void write(const QString& key, const QString& password, Done done);
    void remove(const QString& key, Done done);

    // The keys of the connections that keep their password here.
    static QSet<QString> keysOf(const ConnectionSettings& connections);
    // Forgets the passwords of keys no longer in kept, quietly: one that was never
    // saved is no loss.
    void forgetAllBut(const QSet<QString>& before, const QSet<QString>& kept);
};

} // namespace tavrune
