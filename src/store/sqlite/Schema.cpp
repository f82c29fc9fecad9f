#include "store/sqlite/Schema.h"

#include "store/sqlite/Database.h"
#include "store/sqlite/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <sqlite3.h>

namespace {

struct Field
{
    const char* name;
    bool numeric; // must have numeric affinity: days and times sort and compare as numbers
};

struct Table
{
    const char* name;
    std::initializer_list<Field> fields;
};

const Table kCalendar{"calendar",
                      {{"fecha", true},
                       {"nota", false},
                       {"festivo", true},
                       {"alarma", true},
                       {"hora", true},
                       {"Color", true}}};
const Table kNota{"Nota", {{"indice", true}, {"nota", false}, {"Top", true}, {"Left", true}}};

QString shown(const Database& db)
{
    return QDir::toNativeSeparators(QFileInfo(db.path()).absoluteFilePath());
}

bool hasNumericAffinity(const QString& declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("BLOB")) || t.isEmpty())
        return false;
    return true;
}

// The table as the program reads and writes it: a real table with its own row numbers, every
// field there, the numeric ones numeric.
void verifyTable(const Database& db, const Table& table)
{
    const QString name = QString::fromLatin1(table.name);
    Statement kind = db.prepare(
        QStringLiteral("SELECT type, wr FROM pragma_table_list WHERE schema = 'main' AND "
                       "name = ?1 COLLATE NOCASE"));
    kind.bind(1, name);
    if (!kind.step()) {
        throw StoreError(QStringLiteral("Al archivo de datos «%1» le falta la tabla «%2»."
                                        " No es un archivo de Tarvelo o está dañado.")
                             .arg(shown(db), name),
                         SQLITE_CORRUPT);
    }
    const QString type = kind.column(0).toString();
    const bool withoutRowid = kind.columnInt64(1) != 0;
    kind.reset();
    if (type == QLatin1String("view")) {
        throw StoreError(QStringLiteral("En el archivo de datos «%1», «%2» es una vista y no una "
                                        "tabla: Tarvelo no puede guardar en ella.")
                             .arg(shown(db), name),
                         SQLITE_CORRUPT);
    }
    if (type != QLatin1String("table")) {
        throw StoreError(QStringLiteral("En el archivo de datos «%1», «%2» es una tabla de una "
                                        "clase que Tarvelo no admite (%3).")
                             .arg(shown(db), name, type),
                         SQLITE_CORRUPT);
    }
    // Every row is found again by its row number; such a table has none.
    if (withoutRowid) {
        throw StoreError(QStringLiteral("En el archivo de datos «%1», la tabla «%2» se creó sin "
                                        "números de fila (WITHOUT ROWID), una forma que Tarvelo "
                                        "no admite.")
                             .arg(shown(db), name),
                         SQLITE_CORRUPT);
    }
    if (Schema::rowidName(db, name).isEmpty()) {
        throw StoreError(QStringLiteral("En el archivo de datos «%1», la tabla «%2» tiene campos "
                                        "llamados rowid, _rowid_ y oid: Tarvelo no tiene cómo "
                                        "distinguir sus filas.")
                             .arg(shown(db), name),
                         SQLITE_CORRUPT);
    }

    Statement info = db.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
    info.bind(1, name);
    QHash<QString, QString> columns;
    while (info.step())
        columns.insert(info.column(0).toString().toLower(), info.column(1).toString());
    for (const Field& field : table.fields) {
        const QString fieldName = QString::fromLatin1(field.name);
        const auto it = columns.constFind(fieldName.toLower());
        if (it == columns.constEnd()) {
            throw StoreError(QStringLiteral("En el archivo de datos «%1», a la tabla «%2» le falta "
                                            "el campo «%3».")
                                 .arg(shown(db), name, fieldName),
                             SQLITE_CORRUPT);
        }
        if (field.numeric && !hasNumericAffinity(it.value())) {
            throw StoreError(QStringLiteral("En el archivo de datos «%1», el campo «%2» de la "
                                            "tabla «%3» no es numérico (%4).")
                                 .arg(shown(db), fieldName, name, it.value()),
                             SQLITE_CORRUPT);
        }
    }
}

} // namespace

void Schema::create(const Database& db)
{
    db.execute(
        QStringLiteral("CREATE TABLE calendar (fecha REAL NOT NULL, nota TEXT, festivo INTEGER, "
                       "alarma INTEGER, hora REAL, Color INTEGER)"));
    db.execute(QStringLiteral("CREATE UNIQUE INDEX Fecha ON calendar (fecha)"));
    db.execute(
        QStringLiteral("CREATE TABLE Nota (indice INTEGER PRIMARY KEY AUTOINCREMENT, nota TEXT, "
                       "\"Top\" REAL NOT NULL DEFAULT 0, \"Left\" REAL NOT NULL DEFAULT 0)"));
}

QString Schema::rowidName(const Database& db, const QString& table)
{
    Statement info = db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
    info.bind(1, table);
    QStringList fields;
    while (info.step())
        fields << info.column(0).toString().toLower();
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        if (!fields.contains(QLatin1String(name)))
            return QString::fromLatin1(name);
    }
    return {};
}

void Schema::verify(const Database& db)
{
    try {
        for (const Table* table : {&kCalendar, &kNota})
            verifyTable(db, *table);

        // The index must lead with fecha: every day lookup and the day order depend on it.
        Statement index =
            db.prepare(QStringLiteral("SELECT i.name FROM pragma_index_list('calendar') AS l "
                                      "JOIN pragma_index_info(l.name) AS i "
                                      "WHERE l.name = 'Fecha' COLLATE NOCASE AND i.seqno = 0"));
        const bool found = index.step();
        const QString first = found ? index.column(0).toString() : QString();
        index.reset();
        if (!found || first.compare(QLatin1String("fecha"), Qt::CaseInsensitive) != 0) {
            throw StoreError(QStringLiteral("Al archivo de datos «%1» le falta el índice «Fecha» "
                                            "sobre el campo fecha de la tabla calendar.")
                                 .arg(shown(db)),
                             SQLITE_CORRUPT);
        }
    } catch (const StoreError& error) {
        // SQLite failing to read the file (its errors carry SQLite's own words as detail), as
        // against a file read well that lacks something.
        const int base = error.code() & 0xff;
        if ((base == SQLITE_NOTADB || base == SQLITE_CORRUPT) && !error.detail().isEmpty()) {
            throw StoreError(QStringLiteral("El archivo «%1» no es un archivo de datos de Tarvelo "
                                            "o está dañado.")
                                 .arg(shown(db)),
                             error.code(), error.detail());
        }
        throw;
    }
}
