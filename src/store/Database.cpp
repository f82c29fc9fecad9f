#include "store/Database.h"

#include "store/JetFunctions.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace {

// How long a write waits for another copy of the program that holds the file's lock.
constexpr int kBusyTimeoutMs = 10000;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

sqlite3* openConnection(const QString& path, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString why =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw StoreError(
            QStringLiteral("No se puede abrir el archivo de datos «%1»: %2").arg(shown(path), why),
            rc);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

} // namespace

std::unique_ptr<Database> Database::open(const QString& path, Access access)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        throw StoreError(
            QStringLiteral("No se encuentra el archivo de datos «%1».\n\n"
                           "Tarvelo busca calendar.mdb en la carpeta de trabajo. Para crear uno "
                           "vacío, ejecute:\n    tarvelo-db create \"%2\"")
                .arg(shown(path), QDir::toNativeSeparators(info.absolutePath())),
            SQLITE_CANTOPEN);
    }
    if (!info.isFile()) {
        throw StoreError(
            QStringLiteral("«%1» no es un archivo de datos: es una carpeta.").arg(shown(path)),
            SQLITE_CANTOPEN);
    }

    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    sqlite3* raw = openConnection(path, flags | SQLITE_OPEN_FULLMUTEX);
    std::unique_ptr<Database> db(new Database(raw, path));

    // Reading the schema is the first access to the file: a file that is not a database fails
    // here, before anything could be written to it.
    Schema::verify(*db);

    const int rc = JetFunctions::registerOn(raw);
    if (rc != SQLITE_OK)
        throw StoreError(QStringLiteral("No se pueden preparar las funciones del almacén: %1")
                             .arg(QString::fromUtf8(sqlite3_errstr(rc))),
                         rc);

    if (access == Access::ReadWrite) {
        // SQLite quietly opens a file it may not write for reading only; every save would then
        // fail, so the user is told now, before anything is typed.
        if (sqlite3_db_readonly(raw, "main") == 1) {
            throw StoreError(
                QStringLiteral("El archivo de datos «%1» es de solo lectura: Tarvelo no podría "
                               "guardar ningún cambio. Compruebe los permisos del archivo y de "
                               "su carpeta.")
                    .arg(shown(path)),
                SQLITE_READONLY);
        }
        db->execute(QStringLiteral("PRAGMA journal_mode=WAL"));
        db->execute(QStringLiteral("PRAGMA synchronous=FULL"));
    }
    return db;
}

void Database::create(const QString& path)
{
    if (QFileInfo::exists(path)) {
        throw StoreError(QStringLiteral("Ya existe «%1»: no se sobrescribe un archivo de datos.")
                             .arg(shown(path)),
                         SQLITE_CANTOPEN);
    }
    sqlite3* raw = openConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    std::unique_ptr<Database> db(new Database(raw, path));
    try {
        db->execute(QStringLiteral("PRAGMA journal_mode=WAL"));
        db->execute(QStringLiteral("BEGIN"));
        Schema::create(*db);
        db->execute(QStringLiteral("COMMIT"));
    } catch (...) {
        db.reset();
        QFile::remove(path);
        throw;
    }
}

Database::~Database()
{
    sqlite3_close_v2(db_);
}

void Database::execute(const QString& sql) const
{
    Statement statement(db_, sql);
    statement.execute();
}
