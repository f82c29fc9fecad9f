#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace {

constexpr int kConnectTimeoutMs = 2000;
const QByteArray kActivate = "activar\n";
// A lock file that names no process at all is only taken for stale after this long, so that a
// copy that is writing it right now keeps its claim.
constexpr qint64 kUnreadableLockAgeMs = 10000;

// A copy that was killed leaves its lock behind; it is stale when the process it names has gone
// (or it names none and is old).
bool isLeftByDeadCopy(const QLockFile& lock, const QString& path)
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock.getLockInfo(&pid, &host, &app)) {
        const QDateTime written = QFileInfo(path).lastModified();
        return written.isValid() &&
               written.msecsTo(QDateTime::currentDateTime()) > kUnreadableLockAgeMs;
    }
#ifdef Q_OS_UNIX
    if (pid > 0 && ::kill(pid_t(pid), 0) == -1 && errno == ESRCH)
        return true;
#endif
    return false;
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), folder_(QFileInfo(folder).canonicalFilePath())
{
    if (folder_.isEmpty())
        folder_ = QDir(folder).absolutePath();
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPath() const
{
    return QDir(folder_).filePath(QStringLiteral(".tarvelo.lock"));
}

QString SingleInstance::serverName() const
{
    const QByteArray hash =
        QCryptographicHash::hash(folder_.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("tarvelo-") + QString::fromLatin1(hash);
}

bool SingleInstance::claim()
{
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Only a lock whose process has gone is stale; a long-running copy keeps its claim.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0) && lock_->error() == QLockFile::LockFailedError &&
        isLeftByDeadCopy(*lock_, lockPath()) && lock_->removeStaleLockFile()) {
        lock_->tryLock(0);
    }
    if (!lock_->isLocked()) {
        if (lock_->error() == QLockFile::LockFailedError)
            return false;
        // The folder cannot hold a lock file (read-only, say): nothing to guard against then,
        // for such a store cannot be written by either copy.
        lock_.reset();
        return true;
    }

    server_ = new QLocalServer(this);
    QLocalServer::removeServer(serverName()); // a socket left by a copy that was killed
    if (server_->listen(serverName())) {
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (socket->readAll().contains(kActivate.trimmed()))
                        emit activationRequested();
                    socket->disconnectFromServer();
                });
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    return true;
}

bool SingleInstance::activateRunning()
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivate);
    const bool written = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return written;
}
