#include "app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tavrune {

namespace {

constexpr int kTimeoutMs = 2000;
// A list of paths from a later start is small; anything longer is not read.
constexpr qint64 kMaxMessageBytes = 1 << 20;

} // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent), m_socketPath(QDir(directory).filePath(QStringLiteral("tavrune.socket"))),
      m_lock(QDir(directory).filePath(QStringLiteral("tavrune.lock")))
{
    QDir().mkpath(directory);
    // Only a lock whose process is gone counts as stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    return m_lock.tryLock(0);
}

bool SingleInstance::listen()
{
    // A socket file left by a copy that crashed would refuse the name.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::receive);
    return m_server->listen(m_socketPath);
}

void SingleInstance::receive()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket] {
            const QByteArray message = socket->readAll();
            socket->disconnectFromServer();
            if (message.size() > kMaxMessageBytes) {
                return;
            }
            QStringList paths = QString::fromUtf8(message).split(QChar(u'\0'), Qt::SkipEmptyParts);
            if (!paths.isEmpty()) {
                Q_EMIT filesReceived(paths);
            }
        });
        connect(socket, &QLocalSocket::readyRead, this, [socket] {
            if (socket->bytesAvailable() > kMaxMessageBytes) {
                socket->abort();
            }
        });
    }
}

bool SingleInstance::sendFiles(const QStringList& paths) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kTimeoutMs)) {
        return false;
    }
    QByteArray message;
    for (const QString& path : paths) {
        // NUL ends each path: it is the one character no path holds.
        message += QDir::cleanPath(QDir::current().absoluteFilePath(path)).toUtf8() + '\0';
    }
    socket.write(message);
    const bool written = socket.waitForBytesWritten(kTimeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kTimeoutMs);
    }
    return written;
}

QString SingleInstance::defaultDirectory()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty()) {
        directory = QDir::temp().filePath(QStringLiteral("tavrune-%1").arg(qgetenv("USER")));
    }
    return directory;
}

} // namespace tavrune
