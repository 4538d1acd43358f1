#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace tavrune {

// Keeps a second copy of the program from running. The first copy holds a lock
// file for its whole life (a lock left by a copy that crashed is taken over) and
// listens beside it for the files a later start asks it to open. Both live in a
// directory only this user may enter; where there is none, or no lock can be
// made, every copy runs on its own.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Lock
    {
        Acquired,        // this is the only copy; the lock is held until destroyed
        AnotherCopyRuns, // a running copy holds it: hand the files over
        Impossible,      // none can be made here: run alone
    };

    // directory: where the lock and the socket live, as chooseDirectory() gives
    // it; empty when there is no such place.
    explicit SingleInstance(const QString& directory = defaultDirectory(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    Lock acquire();
    // Why this copy runs alone, after acquire() gave Impossible or listen() false.
    const QString& failure() const { return m_failure; }
    // In the running copy: listens for files from later starts (filesReceived).
    // When it cannot, the lock is let go so that later starts run on their own
    // rather than wait for a copy they cannot reach; false then.
    bool listen();
    // In a later start: hands the files, made absolute, to the running copy,
    // waiting a few seconds for it to listen. Throws Error when they did not
    // arrive there whole.
    void sendFiles(const QStringList& paths);

    // The user's runtime directory when it is private to the user, else
    // "tavrune-UID" in the temporary folder (made when missing) when that is;
    // empty when neither is.
    static QString chooseDirectory(const QString& runtime, const QString& temporary);
    static QString defaultDirectory();

Q_SIGNALS:
    // Emitted once a hand-over has arrived whole and been acknowledged.
    void filesReceived(const QStringList& paths);
    // A later start found no copy listening yet and will try again shortly.
    void waitingForRunningCopy();

private:
    void receive();

    QString m_socketPath;
    QLockFile m_lock;
    QString m_failure;
    QLocalServer* m_server = nullptr;
    int m_receiving = 0;
};

} // namespace tavrune
