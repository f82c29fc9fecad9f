#pragma once

#include "store/sqlite/HeldFiles.h"
#include "store/sqlite/Statement.h"

#include <QHash>
#include <QString>

#include <functional>
#include <future>
#include <map>
#include <memory>

struct sqlite3;

// The open store file: one SQLite connection with the query functions registered, opened
// only on a file that already exists and holds the calendar's tables.
class Database
{
public:
    // How long a save waits for another program that holds the file, such as the store tool
    // importing: longer than any of its writes takes.
    static constexpr int kSaveWaitMs = 10000;
    // How long opening waits for it: the window is not on the screen yet, and a program that
    // keeps the file longer than this is reported as having it in use.
    static constexpr int kOpenWaitMs = 1500;

    // Opens an existing store, verifies its tables and index, and only then switches it to a
    // write-ahead journal; never creates the file and never writes to a file it refuses: a
    // refused file is left as it was, and no file is left beside it that was not there.
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
    // A database not yet open, that what is built while the file is opened elsewhere can hold
    // on to; it becomes the opened one with take(). Nothing may read or write it before.
    static std::unique_ptr<Database> unopened(const QString& path);
    void take(std::unique_ptr<Database> opened);
    // A new, empty store held in memory only: one made whole before it is written out as a
    // file (image()), so that no half-made store is ever on the disk.
    static std::unique_ptr<Database> createInMemory();
    // The bytes of the database as a file holds them.
    QByteArray image() const;

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return db_; }
    QString path() const { return path_; }

    Statement prepare(const QString& sql) const { return Statement(db_, sql); }
    // The same, compiled once for the life of the connection and kept: for the statements run
    // again and again. Reset it (or step it to its end) after use.
    Statement& cached(const QString& sql);
    void execute(const QString& sql) const;

    // A store in the write-ahead journal is opened before its every page has been read: the
    // whole file is read afterwards, on a thread of its own, begun by readWholeFileAside()
    // (start-up calls it once its window is up). Every write waits for that reading first, and
    // fails (writing nothing) when the file is damaged; a write before the reading has begun
    // reads the file there and then. Returns at once when the file was read whole while
    // opening, or has been since.
    void awaitWholeFile();
    // whenRead: told on the reading's thread once the reading is done, whatever it found
    // (start-up prunes the empty days then); at once when there is nothing to read.
    void readWholeFileAside(std::function<void()> whenRead = {});

    // How long a write waits for another program's lock before it fails as "in use".
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return busyTimeoutMs_; }

    // The name by which a table's own row number is reached in a query: "rowid", unless
    // another program gave the table a field of that name (Schema::rowidName).
    QString rowidName(const QString& table) const;
    // sql compiled with each whole word "rowid" read as table's row number (rowidName).
    Statement prepareOn(const QString& table, const QString& sql) const;

    // The listings' own connection to the file, read only, opened when first asked for; null
    // when the file is not in the write-ahead journal, where a reading held open would hold off
    // every save. A long listing keeps one read transaction open there while it gathers its
    // days a slice at a time, so that the days it counted are the days it lists whatever is
    // saved meanwhile. One listing reads there at a time: before another takes it, the one
    // before is told to finish its reading (finish(true)), or, when the store closes, to drop
    // it (finish(false)).
    Database* lister(std::function<void(bool finish)> finish);
    // The listing that took the lister is done with it.
    void listerDone() { finishLister_ = nullptr; }

    // Bumped by every write of the days made on this connection outside the day book (a test
    // that seeds days, a transaction committed), so that what the day book keeps of the days
    // is read again.
    quint64 generation() const { return generation_; }
    void noteWrite() { ++generation_; }
    // Rows this connection has written since it opened, whatever wrote them: what follows it
    // learns that the program saved something.
    qint64 rowsWritten() const;

private:
    Database(sqlite3* db, const QString& path, std::unique_ptr<HeldFiles::Hold> hold = {})
        : hold_(std::move(hold)), db_(db), path_(path)
    {
    }
    // A connection to path with SQLite's URI options ("mode=ro").
    static std::unique_ptr<Database> connect(const QString& path, const char* options, int flags);
    // The store read and verified on a connection that can neither write the file nor make a
    // file beside it.
    // wholeFile: every page is read as well, not only the tables' descriptions.
    static std::unique_ptr<Database> verified(const QString& path, bool walJournal, bool wholeFile);

    static QString wholeFileVerdict(const QString& path);

    // First, so that it goes last: the file's own descriptor outlives the connection.
    std::unique_ptr<HeldFiles::Hold> hold_;
    sqlite3* db_;
    QString path_;
    std::map<QString, Statement> cached_;
    std::unique_ptr<Database> lister_;
    bool listerChecked_ = false; // lister_ was opened, or found not to be wanted
    std::function<void(bool finish)> finishLister_;
    std::future<QString> wholeFile_; // the verdict of the reading on its own thread
    bool wholeFileUnread_ = false;   // still to be read, and not begun
    quint64 generation_ = 0;
    int busyTimeoutMs_ = 0;
    mutable QHash<QString, QString> rowidNames_;
};
