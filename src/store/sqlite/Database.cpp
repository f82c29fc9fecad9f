#include "store/sqlite/Database.h"

#include "store/jet/JetFunctions.h"
#include "store/sqlite/DayGathering.h"
#include "store/sqlite/FailureCause.h"
#include "store/sqlite/LockHolder.h"
#include "store/sqlite/Schema.h"
#include "store/sqlite/StoreError.h"
#include "store/sqlite/StoreFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

namespace {

using Doing = FailureCause::Doing;

// Every connection gets the old program's functions (len, Jet's like, the search's note
// match) and the aggregate that gathers a listing's days.
int registerFunctions(sqlite3* db)
{
    const int rc = JetFunctions::registerOn(db);
    return rc != SQLITE_OK ? rc : DayGathering::registerOn(db);
}

bool isBusy(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_PROTOCOL;
}

StoreError inUse(const QString& path, const QString& detail)
{
    const QString holder = LockHolder::of(path);
    const QString cause = FailureCause::of(SQLITE_BUSY, 0, holder) +
                          QStringLiteral(". Cierre ese programa y vuelva a abrir Tarvelo");
    return FailureCause::failure(path, Doing::Opening, cause, SQLITE_BUSY, detail);
}

sqlite3* openConnection(const QString& uri, const QString& path, int flags, Doing doing)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(uri).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int systemError = db ? sqlite3_system_errno(db) : 0;
        const QString detail =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw FailureCause::failure(path, doing, FailureCause::of(rc, systemError), rc, detail);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, Database::kOpenWaitMs);
    return db;
}

// A file URI for SQLite, so that options can follow the path.
QString uriOf(const QString& path, const char* options)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
           QLatin1Char('?') + QLatin1String(options);
}

// The files SQLite may make beside the store while it reads and writes it.
QStringList companionsOf(const QString& path)
{
    return {StoreFile::walPath(path), StoreFile::shmPath(path), StoreFile::journalPath(path)};
}

// The folder as it was before the store was opened: the companions that were there.
struct Beside
{
    explicit Beside(const QString& path) : path_(path)
    {
        for (const QString& companion : companionsOf(path))
            there_ << QFileInfo::exists(companion);
    }
    // After a refusal, with every connection closed: takes away what opening made, so that the
    // refused store is left as it was found. Nothing made them but this attempt, for another
    // program that uses the file would have had them already.
    void restore() const
    {
        const QStringList companions = companionsOf(path_);
        for (qsizetype i = 0; i < companions.size(); ++i) {
            if (!there_[i] && QFileInfo::exists(companions[i]))
                QFile::remove(companions[i]);
        }
    }

private:
    QString path_;
    QList<bool> there_;
};

} // namespace

std::unique_ptr<Database> Database::connect(const QString& path, const char* options, int flags)
{
    // Held before SQLite opens it: from the first connection to the last, no look at the file
    // by another path may close a descriptor of it.
    std::unique_ptr<HeldFiles::Hold> hold = HeldFiles::hold(path);
    sqlite3* db =
        openConnection(uriOf(path, options), path, flags | SQLITE_OPEN_URI, Doing::Opening);
    return std::unique_ptr<Database>(new Database(db, path, std::move(hold)));
}

namespace {

StoreError damaged(const QString& path, const QString& verdict)
{
    return StoreError(QStringLiteral("El archivo de datos «%1» está dañado: Tarvelo no lo "
                                     "abre, para no estropearlo más. «tarvelo-db check» "
                                     "dice qué le pasa.")
                          .arg(FailureCause::shown(path)),
                      SQLITE_CORRUPT, verdict);
}

} // namespace

QString Database::wholeFileVerdict(const QString& path)
{
    try {
        const std::unique_ptr<Database> reader = connect(path, "mode=ro", SQLITE_OPEN_READONLY);
        Statement check = reader->prepare(QStringLiteral("PRAGMA integrity_check(1)"));
        const QString verdict = check.step() ? check.column(0).toString() : QString();
        check.reset();
        return verdict;
    } catch (const StoreError& error) {
        return error.detail().isEmpty() ? error.message() : error.detail();
    }
}

void Database::readWholeFileAside(std::function<void()> whenRead)
{
    if (!wholeFileUnread_) {
        if (whenRead)
            whenRead();
        return;
    }
    wholeFileUnread_ = false;
    wholeFile_ = std::async(std::launch::async, [path = path_, whenRead = std::move(whenRead)] {
#ifdef Q_OS_LINUX
        // The reading gives way to the program's own thread (on Linux a thread has a priority
        // of its own): the window is what the user is waiting for.
        setpriority(PRIO_PROCESS, 0, 10);
#endif
        QString verdict = wholeFileVerdict(path);
        if (whenRead)
            whenRead();
        return verdict;
    });
}

void Database::awaitWholeFile()
{
    if (wholeFileUnread_) {
        wholeFileUnread_ = false;
        std::promise<QString> now;
        now.set_value(wholeFileVerdict(path_));
        wholeFile_ = now.get_future();
    }
    if (!wholeFile_.valid())
        return;
    const QString verdict = wholeFile_.get();
    if (verdict != QLatin1String("ok")) {
        // Every write from now on is refused the same way: the program is ending.
        std::promise<QString> again;
        again.set_value(verdict);
        wholeFile_ = again.get_future();
        throw damaged(path_, verdict);
    }
}

std::unique_ptr<Database> Database::verified(const QString& path, bool walJournal, bool wholeFile)
{
    // A file in the write-ahead journal with nothing in its journal file is read as it lies:
    // SQLite would otherwise make the journal and shared memory files just to read it.
    const QFileInfo wal(StoreFile::walPath(path));
    const bool asItLies = walJournal && (!wal.exists() || wal.size() == 0);
    std::unique_ptr<Database> db =
        connect(path, asItLies ? "mode=ro&immutable=1" : "mode=ro", SQLITE_OPEN_READONLY);
    Schema::verify(*db);
    if (wholeFile) {
        // A damaged page met later, after the first write, would leave a refused file changed;
        // the whole file is read now (some 50 ms for a hundred thousand days, every index checked
        // against its table).
        Statement check = db->prepare(QStringLiteral("PRAGMA integrity_check(1)"));
        const QString verdict = check.step() ? check.column(0).toString() : QString();
        check.reset();
        if (verdict != QLatin1String("ok"))
            throw damaged(path, verdict);
    }
    return db;
}

std::unique_ptr<Database> Database::open(const QString& path, Access access)
{
    const StoreFile::Journal journal = StoreFile::check(path, access == Access::ReadWrite);
    const Beside beside(path);
    bool readAside = false;

    std::unique_ptr<Database> db;
    try {
        // Reading the schema is the first access to the file: a file that is not a database, or
        // not one of Tarvelo, fails here, before anything could be written to it.
        // A store already in the write-ahead journal is written nothing while it opens: its
        // every page is read afterwards, on a thread of its own, and before the first write.
        // Any other store is switched to that journal now, so it is read whole first.
        const bool wal = journal == StoreFile::Journal::Wal;
        db = verified(path, wal, access == Access::ReadWrite && !wal);
        readAside = access == Access::ReadWrite && wal;
        if (access == Access::ReadWrite) {
            db.reset();
            db = connect(path, "mode=rw", SQLITE_OPEN_READWRITE);
            Schema::verify(*db); // the file may have changed in between
            // SQLite quietly opens a file it may not write for reading only; every save would
            // then fail, so the user is told now, before anything is typed.
            if (sqlite3_db_readonly(db->handle(), "main") == 1) {
                throw StoreError(
                    QStringLiteral("El archivo de datos «%1» es de solo lectura: Tarvelo no "
                                   "podría guardar ningún cambio. Compruebe los permisos del "
                                   "archivo y de su carpeta.")
                        .arg(FailureCause::shown(path)),
                    SQLITE_READONLY);
            }
            // Another program in the middle of writing is met now, not at the first save.
            db->execute(QStringLiteral("BEGIN IMMEDIATE"));
            db->execute(QStringLiteral("ROLLBACK"));
            Statement mode = db->prepare(QStringLiteral("PRAGMA journal_mode=WAL"));
            const QString switched = mode.step() ? mode.column(0).toString() : QString();
            mode.reset();
            if (switched.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
                throw FailureCause::failure(
                    path, Doing::Opening,
                    QStringLiteral("su disco no admite la forma de guardar que Tarvelo necesita "
                                   "(diario de escritura anticipada)"),
                    SQLITE_CANTOPEN, QStringLiteral("journal_mode stays ") + switched);
            }
            db->execute(QStringLiteral("PRAGMA synchronous=FULL"));
        }
    } catch (const StoreError& error) {
        db.reset();
        beside.restore();
        if (isBusy(error.code()))
            throw inUse(path, error.detail());
        // A read or write of SQLite's that failed while opening is told as opening that failed;
        // a file refused for what it lacks keeps the message that says so.
        if (!error.cause().isEmpty()) {
            throw FailureCause::failure(path, Doing::Opening, error.cause(), error.code(),
                                        error.detail());
        }
        throw;
    }

    const int rc = registerFunctions(db->handle());
    if (rc != SQLITE_OK)
        throw FailureCause::failure(db->handle(), rc, Doing::Opening);
    db->setBusyTimeout(kSaveWaitMs);
    db->wholeFileUnread_ = readAside;
    return db;
}

std::unique_ptr<Database> Database::unopened(const QString& path)
{
    return std::unique_ptr<Database>(new Database(nullptr, path));
}

void Database::take(std::unique_ptr<Database> opened)
{
    std::swap(hold_, opened->hold_);
    std::swap(db_, opened->db_);
    std::swap(path_, opened->path_);
    std::swap(cached_, opened->cached_);
    std::swap(lister_, opened->lister_);
    std::swap(listerChecked_, opened->listerChecked_);
    std::swap(finishLister_, opened->finishLister_);
    std::swap(wholeFile_, opened->wholeFile_);
    std::swap(wholeFileUnread_, opened->wholeFileUnread_);
    std::swap(generation_, opened->generation_);
    std::swap(rowidNames_, opened->rowidNames_);
}

void Database::create(const QString& path)
{
    if (QFileInfo::exists(path)) {
        throw StoreError(QStringLiteral("Ya existe «%1»: no se sobrescribe un archivo de datos.")
                             .arg(FailureCause::shown(path)),
                         SQLITE_CANTOPEN);
    }
    sqlite3* raw =
        openConnection(path, path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, Doing::Creating);
    std::unique_ptr<Database> db(new Database(raw, path, HeldFiles::hold(path)));
    try {
        db->execute(QStringLiteral("PRAGMA journal_mode=WAL"));
        db->execute(QStringLiteral("BEGIN"));
        Schema::create(*db);
        db->execute(QStringLiteral("COMMIT"));
    } catch (const StoreError&) {
        // A half-made store would be taken for a real one at the next start.
        db.reset();
        for (const QString& file : QStringList{path} + companionsOf(path))
            QFile::remove(file);
        throw;
    }
}

std::unique_ptr<Database> Database::createInMemory()
{
    const QString name = QStringLiteral(":memory:");
    sqlite3* raw =
        openConnection(name, name, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY,
                       Doing::Creating);
    std::unique_ptr<Database> db(new Database(raw, name));
    const int rc = registerFunctions(raw);
    if (rc != SQLITE_OK)
        throw FailureCause::failure(raw, rc, Doing::Creating);
    db->execute(QStringLiteral("BEGIN"));
    Schema::create(*db);
    db->execute(QStringLiteral("COMMIT"));
    return db;
}

QByteArray Database::image() const
{
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(db_, "main", &size, 0);
    if (!bytes)
        throw FailureCause::failure(db_, SQLITE_NOMEM, Doing::Reading);
    QByteArray image(reinterpret_cast<const char*>(bytes), qsizetype(size));
    sqlite3_free(bytes);
    return image;
}

Database::~Database()
{
    if (finishLister_) {
        const auto finish = std::move(finishLister_);
        finishLister_ = nullptr;
        finish(false);
    }
    lister_.reset();
    sqlite3_close_v2(db_);
}

Database* Database::lister(std::function<void(bool finish)> finish)
{
    if (finishLister_) {
        const auto previous = std::move(finishLister_);
        finishLister_ = nullptr;
        previous(true);
    }
    if (!listerChecked_) {
        listerChecked_ = true;
        Statement mode = prepare(QStringLiteral("PRAGMA journal_mode"));
        const bool wal = mode.step() && mode.column(0).toString() == QLatin1String("wal");
        mode.reset();
        if (wal) {
            lister_ = connect(path_, "mode=ro", SQLITE_OPEN_READONLY);
            const int rc = registerFunctions(lister_->handle());
            if (rc != SQLITE_OK)
                throw FailureCause::failure(lister_->handle(), rc, Doing::Reading);
            lister_->setBusyTimeout(kSaveWaitMs);
        }
    }
    if (lister_)
        finishLister_ = std::move(finish);
    return lister_.get();
}

Statement& Database::cached(const QString& sql)
{
    auto it = cached_.find(sql);
    if (it == cached_.end())
        it = cached_.emplace(sql, prepare(sql)).first;
    return it->second;
}

void Database::execute(const QString& sql) const
{
    Statement statement(db_, sql);
    statement.execute();
}

qint64 Database::rowsWritten() const
{
    return db_ ? sqlite3_total_changes64(db_) : 0;
}

void Database::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(db_, milliseconds);
    busyTimeoutMs_ = milliseconds;
}

QString Database::rowidName(const QString& table) const
{
    const QString key = table.toLower();
    auto it = rowidNames_.constFind(key);
    if (it == rowidNames_.constEnd())
        it = rowidNames_.insert(key, Schema::rowidName(*this, table));
    return it.value();
}

Statement Database::prepareOn(const QString& table, const QString& sql) const
{
    // Another program may have given the table a field called rowid; the row number is then
    // reached by another of its names.
    QString text = sql;
    static const QRegularExpression rowid(QStringLiteral("\\browid\\b"));
    text.replace(rowid, rowidName(table));
    return prepare(text);
}
