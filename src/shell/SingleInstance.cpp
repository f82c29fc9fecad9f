#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
    return pid > 0 && ::kill(pid_t(pid), 0) == -1 && errno == ESRCH;
}

// The socket's address; false when the path does not fit in one.
bool addressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray encoded = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || std::size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
    return true;
}

// Waits for fd to be ready for events, at most ms; false on time out or failure.
bool await(int fd, short events, int ms)
{
    pollfd watched{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&watched, 1, std::max(0, ms));
    } while (ready < 0 && errno == EINTR);
    return ready == 1;
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), folder_(QFileInfo(folder).canonicalFilePath())
{
    if (folder_.isEmpty())
        folder_ = QDir(folder).absolutePath();
}

SingleInstance::~SingleInstance()
{
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
}

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

QString SingleInstance::socketPath() const
{
    // The user's own run-time folder, which no one else may enter; the temporary folder where
    // the desktop gives none.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString base =
        !runtime.isEmpty() && QFileInfo(runtime).isDir() ? runtime : QDir::tempPath();
    return QDir(base).filePath(serverName());
}

void SingleInstance::claimAside()
{
    taking_ = std::async(std::launch::async, [this] { return takeLock(); });
}

bool SingleInstance::claim()
{
    const bool held = taking_.valid() ? taking_.get() : takeLock();
    if (held && lock_)
        listen();
    return held;
}

bool SingleInstance::takeLock()
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
    }
    return true;
}

namespace {

// One attempt at the running copy: true when it answered, within answerWaitMs, that its
// windows came forward. A copy still starting answers once its windows are up.
bool askOnce(const QString& path, int answerWaitMs)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const auto closed = qScopeGuard([fd] { ::close(fd); });
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return false;
        int error = 0;
        socklen_t length = sizeof error;
        if (!await(fd, POLLOUT, kConnectTimeoutMs) ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return false;
    }
    for (qsizetype sent = 0; sent < kActivate.size();) {
        const ssize_t wrote = ::send(fd, kActivate.constData() + sent,
                                     std::size_t(kActivate.size() - sent), MSG_NOSIGNAL);
        if (wrote > 0)
            sent += wrote;
        else if (wrote < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        else if (!await(fd, POLLOUT, kConnectTimeoutMs))
            return false;
    }
    QByteArray answer;
    QElapsedTimer waited;
    waited.start();
    while (!answer.contains(kDone)) {
        char chunk[64];
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got > 0) {
            answer.append(chunk, got);
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EINTR))
            break;
        if (!await(fd, POLLIN, int(answerWaitMs - waited.elapsed())))
            break;
    }
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
        if (askOnce(socketPath(),
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

void SingleInstance::listen()
{
    sockaddr_un address;
    if (listener_ >= 0)
        return;
    if (!addressOf(socketPath(), address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // This copy holds the folder, so a socket there was left by a copy that was killed.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        // Later starts then find nobody to hand over to, and say the folder is in use.
        ::close(fd);
        return;
    }
    listener_ = fd;
    auto* accepting = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(accepting, &QSocketNotifier::activated, this, [this] {
        int client = -1;
        while ((client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0)
            answer(client);
    });
}

void SingleInstance::answer(int client)
{
    auto* reading = new QSocketNotifier(client, QSocketNotifier::Read, this);
    auto heard = std::make_shared<QByteArray>();
    connect(reading, &QSocketNotifier::activated, this, [this, reading, client, heard] {
        const auto hangUp = [reading, client] {
            reading->setEnabled(false);
            reading->deleteLater();
            ::close(client);
        };
        char chunk[64];
        const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got <= 0 || heard->size() + got > 1024) {
            hangUp();
            return;
        }
        heard->append(chunk, got);
        if (!heard->contains(kActivate.trimmed()))
            return;
        emit activationRequested();
        // The second copy ends once it knows the windows came forward.
        ::send(client, kDone.constData(), std::size_t(kDone.size()), MSG_NOSIGNAL);
        hangUp();
    });
}
