#pragma once

#include <QString>

// What can be told of a store file before SQLite opens it: what kind of file it is, whether
// this user may read and write it and its folder, and what its header says. Nothing here
// writes or creates a file, so that a file refused here is left exactly as it was.
class StoreFile
{
public:
    StoreFile() = delete;

    enum class Journal
    {
        Rollback, // the file is written in place, with a journal beside it while it is
        Wal       // the changes go first to calendar.mdb-wal
    };

    // Throws StoreError, naming the file and the cause, for a file the program must not open:
    // missing, not a plain file, unreadable, empty or not a database; and when it is to be
    // written, a file, folder or companion file that cannot be written. Returns the journal
    // the header names.
    static Journal check(const QString& path, bool forWriting);

    // Whether this user may read or write path. The permission bits count for the
    // administrator too: a file that nobody may write is read-only to the program, as its
    // owner meant it to be.
    static bool mayRead(const QString& path);
    static bool mayWrite(const QString& path);

    static QString walPath(const QString& path) { return path + QStringLiteral("-wal"); }
    static QString shmPath(const QString& path) { return path + QStringLiteral("-shm"); }
    static QString journalPath(const QString& path) { return path + QStringLiteral("-journal"); }
};
