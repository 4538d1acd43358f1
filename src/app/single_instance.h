#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace tavrune {

// Keeps a second copy of the program from running. The first copy holds a lock
// file for its whole life (a lock left by a copy that crashed is taken over) and
// listens beside it for the files a later start asks it to open.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // directory: where the lock and the socket live; by default the user's
    // runtime directory.
    explicit SingleInstance(const QString& directory = defaultDirectory(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Whether this is the only running copy; it then holds the lock until destroyed.
    bool acquire();
    // In the running copy: listens for files from later starts (filesReceived).
    bool listen();
    // In a later start: hands absolute paths to the running copy. False when it
    // cannot be reached.
    bool sendFiles(const QStringList& paths) const;

    static QString defaultDirectory();

Q_SIGNALS:
    void filesReceived(const QStringList& paths);

private:
    void receive();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace tavrune
