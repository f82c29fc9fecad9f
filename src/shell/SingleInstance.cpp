#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {
constexpr int kConnectTimeoutMs = 2000;
const QByteArray kActivate = "activar\n";
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
    if (!lock_->tryLock(0)) {
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
