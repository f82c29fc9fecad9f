#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Who keeps the store busy: the process that holds a lock on the file or on its shared memory
// file (from the system's table of locks), or else the copy of Tarvelo that the folder's lock
// file names. Only read, never locked or opened for writing: looking must not disturb the locks
// of this process's own connection.
class LockHolder
{
public:
    LockHolder() = delete;

    // In words, ready to follow "en uso por": "el programa sqlite3 (proceso 1234)", "otra copia
    // de Tarvelo (proceso 99)"; empty when nobody can be found.
    static QString of(const QString& storePath);

    // The processes other than this one that hold a lock on any of files according to a lock
    // table in the form of /proc/locks, those that hold a write lock first.
    static QList<qint64> holders(const QStringList& files, const QByteArray& lockTable);
    // The process named in a lock file of QLockFile's form beside the store, when it runs and
    // is not this one; 0 otherwise.
    static qint64 lockFileOwner(const QString& lockFile);
    // A process in words, from its pid and its command name (empty when unknown).
    static QString describe(qint64 pid, const QString& command);
};
