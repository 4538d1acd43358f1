#include "gui/program/single_instance.h"

#include "common/error.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrune {

namespace {

// A later start waits this long for a copy that holds the lock to listen: it
// takes the lock before its window, and the socket, exist.
constexpr int kConnectWindowMs = 5000;
constexpr int kRetryMs = 50;
// Without a byte moving for this long a hand-over is given up, by either side.
constexpr int kSenderIdleMs = 30000;
constexpr int kReceiverIdleMs = 10000;
// A hand-over is its length (8 bytes, big-endian), then the paths, each ended
// by NUL, the one character no path holds; one byte answers it. The limit is
// far beyond any command line; with the number of hand-overs read at once it
// bounds the memory a running copy gives them.
constexpr int kHeaderBytes = 8;
constexpr qint64 kMaxMessageBytes = qint64(64) << 20;
constexpr int kMaxHandOvers = 4;
constexpr char kAccepted = 'A';
constexpr char kRefused = 'R';
// A copy that has just made the lock writes its owner into it at once.
constexpr int kOwnerTries = 10;
constexpr unsigned long kOwnerWaitMs = 20;

// A directory, not a link to one, that this user owns and no one else may enter.
bool isPrivateDirectory(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// A hand-over being read: its length once known, and the bytes so far.
struct Incoming
{
    qint64 length = -1;
    QByteArray bytes;
    bool answered = false;
};

void answer(QLocalSocket& socket, Incoming& incoming, char code)
{
    incoming.answered = true;
    socket.write(&code, 1);
    socket.disconnectFromServer();
}

// Reads what has come of a hand-over and answers it once it is whole or too
// long; the paths of a whole one.
std::optional<QStringList> readHandOver(QLocalSocket& socket, Incoming& incoming)
{
    if (incoming.answered) {
        return std::nullopt;
    }
    if (incoming.length < 0) {
        incoming.bytes += socket.read(kHeaderBytes - incoming.bytes.size());
        if (incoming.bytes.size() < kHeaderBytes) {
            return std::nullopt;
        }
        const auto length = qFromBigEndian<quint64>(incoming.bytes.constData());
        incoming.bytes.clear();
        if (length > quint64(kMaxMessageBytes)) {
            answer(socket, incoming, kRefused);
            return std::nullopt;
        }
        incoming.length = qint64(length);
    }
    incoming.bytes += socket.read(incoming.length - incoming.bytes.size());
    if (incoming.bytes.size() < incoming.length) {
        return std::nullopt;
    }
    answer(socket, incoming, kAccepted);
    return QString::fromUtf8(incoming.bytes).split(QChar(u'\0'), Qt::SkipEmptyParts);
}

} // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent),
      m_socketPath(directory.isEmpty()
                       ? QString()
                       : QDir(directory).filePath(QStringLiteral("tavrune.socket"))),
      m_lock(directory.isEmpty() ? QString()
                                 : QDir(directory).filePath(QStringLiteral("tavrune.lock")))
{
    // Only a lock whose process is gone counts as stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Lock SingleInstance::acquire()
{
    if (m_socketPath.isEmpty()) {
        m_failure = QStringLiteral("ロックファイルを置ける、このユーザーだけのフォルダがありません "
                                   "(XDG_RUNTIME_DIR、一時フォルダの tavrune-%1)")
                        .arg(::geteuid());
        return Lock::Impossible;
    }
    if (m_lock.tryLock(0)) {
        return Lock::Acquired;
    }
    QString reason;
    switch (m_lock.error()) {
    case QLockFile::LockFailedError:
        // Only a lock that names its owner says another copy runs. One that still
        // names none after the wait was left by a copy that ended while making
        // it: it is taken over, or it would keep every later start unchecked.
        for (int tries = 0; tries < kOwnerTries; ++tries) {
            qint64 pid = 0;
            QString host;
            QString application;
            if (m_lock.getLockInfo(&pid, &host, &application)) {
                return Lock::AnotherCopyRuns;
            }
            QThread::msleep(kOwnerWaitMs);
        }
        if (m_lock.removeStaleLockFile() && m_lock.tryLock(0)) {
            return Lock::Acquired;
        }
        reason = QStringLiteral("持ち主の分からないロックがあります");
        break;
    case QLockFile::PermissionError:
        reason = QStringLiteral("書き込みが許可されていません");
        break;
    default:
        reason = QStringLiteral("書き込めません (空き領域かファイルの大きさの上限)");
        break;
    }
    m_failure =
        QStringLiteral("ロックファイル \"%1\" を作れません: %2").arg(m_lock.fileName(), reason);
    return Lock::Impossible;
}

bool SingleInstance::listen()
{
    // A socket file left by a copy that crashed would refuse the name.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::receive);
    if (m_server->listen(m_socketPath)) {
        return true;
    }
    m_failure = QStringLiteral("ソケット \"%1\" で待ち受けられません: %2")
                    .arg(m_socketPath, m_server->errorString());
    m_lock.unlock();
    return false;
}

void SingleInstance::receive()
{
    // Further starts wait in the server's queue until a hand-over ends.
    while (m_receiving < kMaxHandOvers) {
        QLocalSocket* socket = m_server->nextPendingConnection();
        if (socket == nullptr) {
            return;
        }
        ++m_receiving;
        connect(socket, &QObject::destroyed, this, [this] {
            --m_receiving;
            QMetaObject::invokeMethod(this, &SingleInstance::receive, Qt::QueuedConnection);
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto incoming = std::make_shared<Incoming>();
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        const auto read = [this, socket, incoming, idle] {
            idle->start(kReceiverIdleMs);
            if (const std::optional<QStringList> paths = readHandOver(*socket, *incoming);
                paths && !paths->isEmpty()) {
                Q_EMIT filesReceived(*paths);
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        connect(idle, &QTimer::timeout, socket, [socket] {
            // A copy that was busy sees its timer before the bytes that came meanwhile.
            if (!socket->waitForReadyRead(0)) {
                socket->abort();
                socket->deleteLater();
            }
        });
        read();
    }
}

void SingleInstance::sendFiles(const QStringList& paths)
{
    const auto fail = [&](const QString& why) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("%1 個のファイルを起動中の Tavrune for Excel に渡せませんでした "
                                   "(%2): %3")
                        .arg(paths.size())
                        .arg(m_socketPath, why));
    };
    const QString tooLong =
        QStringLiteral("一度に渡せるのは %1 MB までです").arg(kMaxMessageBytes >> 20);
    QByteArray message(kHeaderBytes, '\0');
    for (const QString& path : paths) {
        message += QDir::cleanPath(QDir::current().absoluteFilePath(path)).toUtf8() + '\0';
        if (message.size() - kHeaderBytes > kMaxMessageBytes) {
            fail(tooLong);
        }
    }
    qToBigEndian<quint64>(message.size() - kHeaderBytes, message.data());

    // Driven by an event loop rather than blocking waits, so that a receiver in
    // the same thread is served too.
    QLocalSocket socket;
    QEventLoop loop;
    QTimer retry;
    retry.setSingleShot(true);
    retry.setInterval(kRetryMs);
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(kSenderIdleMs);
    const QDeadlineTimer connectWindow(kConnectWindowMs);
    bool done = false;
    char code = 0;
    QString failure;
    const auto finish = [&](const QString& why) {
        if (!done) {
            done = true;
            failure = why;
            loop.quit();
        }
    };
    // The answer may come together with the end of the connection.
    const auto takeAnswer = [&] {
        if (!done && socket.bytesAvailable() > 0 && socket.getChar(&code)) {
            finish({});
        }
        return done;
    };
    connect(&socket, &QLocalSocket::connected, &loop, [&] {
        socket.write(message);
        idle.start();
    });
    connect(&socket, &QLocalSocket::bytesWritten, &loop, [&] { idle.start(); });
    connect(&socket, &QLocalSocket::readyRead, &loop, takeAnswer);
    connect(&socket, &QLocalSocket::errorOccurred, &loop,
            [&](QLocalSocket::LocalSocketError error) {
                if (takeAnswer()) {
                    return;
                }
                const bool notListening = error == QLocalSocket::ServerNotFoundError ||
                                          error == QLocalSocket::ConnectionRefusedError;
                if (notListening && !connectWindow.hasExpired()) {
                    Q_EMIT waitingForRunningCopy();
                    retry.start();
                    return;
                }
                finish(notListening ? QStringLiteral("起動中のプログラムが受け付けていません")
                                    : socket.errorString());
            });
    connect(&socket, &QLocalSocket::disconnected, &loop, [&] {
        if (!takeAnswer()) {
            finish(QStringLiteral("答えの前に接続が切れました"));
        }
    });
    connect(&retry, &QTimer::timeout, &loop, [&] { socket.connectToServer(m_socketPath); });
    connect(&idle, &QTimer::timeout, &loop, [&] {
        if (!takeAnswer()) {
            finish(QStringLiteral("応答がありません"));
        }
    });
    idle.start();
    socket.connectToServer(m_socketPath);
    if (!done) {
        loop.exec();
    }
    if (!failure.isEmpty()) {
        fail(failure);
    }
    if (code != kAccepted) {
        fail(code == kRefused ? tooLong : QStringLiteral("答えが正しくありません"));
    }
}

QString SingleInstance::chooseDirectory(const QString& runtime, const QString& temporary)
{
    // The runtime directory is the user's by its definition, yet anything can be
    // set; the fallback anyone may have made first, or left a link in its place.
    if (QDir::isAbsolutePath(runtime) && isPrivateDirectory(runtime)) {
        return runtime;
    }
    const QString fallback =
        QDir(temporary).filePath(QStringLiteral("tavrune-%1").arg(::geteuid()));
    ::mkdir(QFile::encodeName(fallback).constData(), S_IRWXU);
    return isPrivateDirectory(fallback) ? fallback : QString();
}

QString SingleInstance::defaultDirectory()
{
    return chooseDirectory(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

} // namespace tavrune
