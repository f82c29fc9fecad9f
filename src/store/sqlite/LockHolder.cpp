#include "store/sqlite/LockHolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

// The lock file the program keeps beside its store while it runs.
constexpr const char* kLockFileName = ".tarvelo.lock";

QByteArray readFile(const QString& path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(limit);
}

QString commandOf(qint64 pid)
{
    return QString::fromLocal8Bit(readFile(QStringLiteral("/proc/%1/comm").arg(pid), 64)).trimmed();
}

bool isRunning(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(pid);
    return false;
#endif
}

} // namespace

QList<qint64> LockHolder::holders(const QStringList& files, const QByteArray& lockTable)
{
    QList<qint64> writers;
    QList<qint64> readers;
#ifdef Q_OS_UNIX
    // The table names a file by its device, in hexadecimal, and its inode.
    QList<QByteArray> names;
    for (const QString& file : files) {
        struct stat info;
        if (::stat(QFile::encodeName(file).constData(), &info) != 0)
            continue;
        names << QByteArray::number(major(info.st_dev), 16).rightJustified(2, '0') + ':' +
                     QByteArray::number(minor(info.st_dev), 16).rightJustified(2, '0') + ':' +
                     QByteArray::number(qulonglong(info.st_ino));
    }
    const qint64 self = QCoreApplication::applicationPid();
    for (const QByteArray& line : lockTable.split('\n')) {
        // "1: POSIX  ADVISORY  WRITE 1234 fe:00:1095 120 120"; a line with "->" is a process
        // waiting for that lock, not holding it.
        QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 8 || fields.contains("->"))
            continue;
        bool isNumber = false;
        const qint64 pid = fields[4].toLongLong(&isNumber);
        if (!isNumber || pid <= 0 || pid == self || !names.contains(fields[5].toLower()))
            continue;
        QList<qint64>& list = fields[3] == "WRITE" ? writers : readers;
        if (!list.contains(pid))
            list << pid;
    }
#else
    Q_UNUSED(files);
    Q_UNUSED(lockTable);
#endif
    for (qint64 pid : readers) {
        if (!writers.contains(pid))
            writers << pid;
    }
    return writers;
}

qint64 LockHolder::lockFileOwner(const QString& lockFile)
{
    const QByteArray first = readFile(lockFile, 4096).split('\n').value(0).trimmed();
    bool isNumber = false;
    const qint64 pid = first.toLongLong(&isNumber);
    if (!isNumber || pid == QCoreApplication::applicationPid() || !isRunning(pid))
        return 0;
    return pid;
}

QString LockHolder::describe(qint64 pid, const QString& command)
{
    if (command == QLatin1String("tarvelo"))
        return QStringLiteral("otra copia de Tarvelo (proceso %1)").arg(pid);
    if (command == QLatin1String("tarvelo-db"))
        return QStringLiteral("la herramienta tarvelo-db (proceso %1)").arg(pid);
    if (command.isEmpty())
        return QStringLiteral("el proceso %1").arg(pid);
    return QStringLiteral("el programa %1 (proceso %2)").arg(command).arg(pid);
}

QString LockHolder::of(const QString& storePath)
{
    const QByteArray table = readFile(QStringLiteral("/proc/locks"), 16 * 1024 * 1024);
    const QList<qint64> pids = holders({storePath, storePath + QStringLiteral("-shm")}, table);
    if (!pids.isEmpty())
        return describe(pids.first(), commandOf(pids.first()));
    const QString folder = QFileInfo(storePath).absolutePath();
    if (const qint64 pid = lockFileOwner(QDir(folder).filePath(QString::fromLatin1(kLockFileName))))
        return describe(pid, QStringLiteral("tarvelo"));
    return {};
}
