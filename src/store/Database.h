#pragma once

#include "store/Statement.h"

#include <QString>

#include <memory>

struct sqlite3;

// The open store file: one SQLite connection with the query functions registered, opened
// only on a file that already exists and holds the calendar's tables.
class Database
{
public:
    // Opens an existing store, verifies its tables and index, and only then switches it to a
    // write-ahead journal; never creates the file and never writes to a file it refuses.
    // Throws StoreError with a message that names the file and what is wrong.
    // ReadOnly skips the journal switch as well: the file is only read (the store tool's check).
    enum class Access
    {
        ReadWrite,
        ReadOnly
    };
    static std::unique_ptr<Database> open(const QString& path, Access access = Access::ReadWrite);
    // Makes a new, empty store at path; refuses when a file is already there.
    static void create(const QString& path);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return db_; }
    QString path() const { return path_; }

    Statement prepare(const QString& sql) const { return Statement(db_, sql); }
    void execute(const QString& sql) const;

    // Bumped on every write through any handle, so that cursors holding a copy of a row
    // know to read it again: rows edited through one handle are seen at once by the others.
    quint64 generation() const { return generation_; }
    void noteWrite() { ++generation_; }

private:
    Database(sqlite3* db, const QString& path) : db_(db), path_(path) {}

    sqlite3* db_;
    QString path_;
    quint64 generation_ = 0;
};
