#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace {

constexpr int kConnectTimeoutMs = 2000;
// How often a second copy looks again for the first one's answer while that one starts.
constexpr int kRetryMs = 25;
const QByteArray kActivate = "activar\n";
const QByteArray kDone = "hecho\n";
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
                    if (!socket->readAll().contains(kActivate.trimmed()))
                        return;
                    emit activationRequested();
                    // The second copy ends once it knows the windows came forward.
                    socket->write(kDone);
                    socket->flush();
                    socket->disconnectFromServer();
                });
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    return true;
}

namespace {

// One attempt at the running copy: true when it answered, within answerWaitMs, that its
// windows came forward. A copy still starting answers once its windows are up.
bool askOnce(const QString& name, int answerWaitMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs))
        return false;
    QByteArray answer;
    QElapsedTimer waited;
    waited.start();
    while (!answer.contains(kDone) && waited.elapsed() < answerWaitMs &&
           socket.waitForReadyRead(int(std::max<qint64>(1, answerWaitMs - waited.elapsed()))))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer.contains(kDone);
}

} // namespace

bool SingleInstance::activateRunning()
{
    // The first copy takes the folder's lock before it listens, so a copy started at the same
    // instant may find the lock taken and nobody answering yet: it asks again until the first
    // one answers or lets the folder go.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (askOnce(serverName(),
                    int(std::max<qint64>(kConnectTimeoutMs, kHandOverWaitMs - waited.elapsed()))))
            return true;
        if (waited.elapsed() >= kHandOverWaitMs || !folderHeld())
            return false;
        QThread::msleep(kRetryMs);
    }
}

bool SingleInstance::folderHeld() const
{
    QLockFile probe(lockPath());
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError && !isLeftByDeadCopy(probe, lockPath());
}

SingleInstance::Start SingleInstance::claimOrHandOver()
{
    // The copy that has the folder may end while this one asks it: the folder is then free, and
    // this copy takes it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (claim())
            return Start::First;
        if (activateRunning())
            return Start::HandedOver;
        if (folderHeld())
            return Start::Unreachable;
    }
    return Start::Unreachable;
}
