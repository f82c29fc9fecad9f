#include "store/domain/SyncBook.h"

#include "store/domain/SeriesBook.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"

namespace {

enum Column
{
    Href,
    Etag,
    Fecha,
    Nota,
    Festivo,
    Alarma,
    Hora,
    Color
};

} // namespace

SyncBook::SyncBook(Database& db) : db_(db)
{
    // IF NOT EXISTS: opening the book twice, or from two copies of the program, makes them once.
    db_.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS SincroAjuste (clave TEXT PRIMARY KEY, "
                               "valor TEXT)"));
    db_.execute(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS SincroEvento (href TEXT PRIMARY KEY, etag TEXT, fecha REAL, "
        "nota TEXT, festivo INTEGER, alarma INTEGER, hora REAL, Color INTEGER)"));
    db_.execute(
        QStringLiteral("CREATE INDEX IF NOT EXISTS SincroEventoFecha ON SincroEvento (fecha)"));
    db_.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS SincroNotita (href TEXT PRIMARY KEY, "
                               "etag TEXT, uid TEXT, texto TEXT)"));
    db_.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS SincroPromesa (href TEXT PRIMARY KEY, "
                               "etag TEXT, accion TEXT, fecha REAL, uid TEXT)"));
}

bool SyncBook::exists(Database& db)
{
    Statement& look = db.cached(QStringLiteral(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'SincroAjuste'"));
    look.step();
    const bool there = look.columnInt64(0) > 0;
    look.reset();
    return there;
}

Statement& SyncBook::statement(const QString& sql)
{
    auto it = statements_.find(sql);
    if (it == statements_.end())
        it = statements_.emplace(sql, db_.prepare(sql)).first;
    return it->second;
}

std::optional<QString> SyncBook::setting(const QString& key)
{
    Statement& select =
        statement(QStringLiteral("SELECT valor FROM SincroAjuste WHERE clave = ?1"));
    select.bind(1, key);
    if (!select.step())
        return std::nullopt;
    const QString value = select.column(0).toString();
    select.reset();
    return value;
}

void SyncBook::setSetting(const QString& key, const QString& value)
{
    Statement& upsert =
        statement(QStringLiteral("INSERT INTO SincroAjuste (clave, valor) VALUES (?1, ?2) "
                                 "ON CONFLICT (clave) DO UPDATE SET valor = excluded.valor"));
    upsert.bind(1, key);
    upsert.bind(2, value);
    upsert.execute();
}

void SyncBook::removeSetting(const QString& key)
{
    Statement& remove = statement(QStringLiteral("DELETE FROM SincroAjuste WHERE clave = ?1"));
    remove.bind(1, key);
    remove.execute();
}

std::vector<SyncBook::Event> SyncBook::events()
{
    std::vector<Event> events;
    Statement& select = statement(
        QStringLiteral("SELECT href, etag, fecha, nota, festivo, alarma, hora, Color FROM "
                       "SincroEvento ORDER BY fecha, href"));
    while (select.step()) {
        Event event;
        event.href = select.column(Href).toString();
        event.etag = select.column(Etag).toString();
        if (!select.columnIsNull(Fecha))
            event.date = DatePattern::toDate(select.columnDouble(Fecha));
        event.base.date = event.date;
        event.base.note = select.column(Nota).toString();
        event.base.holiday = select.columnInt64(Festivo) != 0;
        event.base.alarmOn = select.columnInt64(Alarma) != 0;
        if (!select.columnIsNull(Hora)) {
            const int minutes = int(select.columnInt64(Hora));
            event.base.alarmTime = QTime(minutes / 60 % 24, minutes % 60);
        }
        event.base.colour = DayColours::fromCode(select.column(Color));
        events.push_back(std::move(event));
    }
    return events;
}

void SyncBook::record(const Event& event)
{
    Statement& upsert = statement(QStringLiteral(
        "INSERT OR REPLACE INTO SincroEvento (href, etag, fecha, nota, festivo, alarma, hora, "
        "Color) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"));
    const Day& base = event.base;
    upsert.bind(1, event.href);
    upsert.bind(2, event.etag);
    upsert.bind(3, event.date.isValid() ? QVariant(DatePattern::fromDate(event.date)) : QVariant());
    upsert.bind(4, base.note);
    upsert.bind(5, base.holiday ? 1 : 0);
    upsert.bind(6, base.alarmOn ? 1 : 0);
    // Minutes of the day: the alarm is kept to the minute, as the events carry it.
    upsert.bind(7, base.alarmTime ? QVariant(base.alarmTime->hour() * 60 + base.alarmTime->minute())
                                  : QVariant());
    upsert.bind(8, base.colour ? QVariant(DayColours::code(*base.colour)) : QVariant());
    upsert.execute();
}

void SyncBook::forget(const QString& href)
{
    Statement& remove = statement(QStringLiteral("DELETE FROM SincroEvento WHERE href = ?1"));
    remove.bind(1, href);
    remove.execute();
}

std::vector<SyncBook::Journal> SyncBook::journals()
{
    std::vector<Journal> journals;
    Statement& select =
        statement(QStringLiteral("SELECT href, etag, uid, texto FROM SincroNotita ORDER BY href"));
    while (select.step()) {
        journals.push_back({select.column(0).toString(), select.column(1).toString(),
                            select.column(2).toString(), select.column(3).toString()});
    }
    return journals;
}

void SyncBook::record(const Journal& journal)
{
    Statement& upsert = statement(QStringLiteral(
        "INSERT OR REPLACE INTO SincroNotita (href, etag, uid, texto) VALUES (?1, ?2, ?3, ?4)"));
    upsert.bind(1, journal.href);
    upsert.bind(2, journal.etag);
    upsert.bind(3, journal.uid);
    upsert.bind(4, journal.text);
    upsert.execute();
}

void SyncBook::forgetJournal(const QString& href)
{
    Statement& remove = statement(QStringLiteral("DELETE FROM SincroNotita WHERE href = ?1"));
    remove.bind(1, href);
    remove.execute();
}

std::vector<SyncBook::Promise> SyncBook::promises()
{
    std::vector<Promise> promises;
    Statement& select = statement(
        QStringLiteral("SELECT href, etag, accion, fecha, uid FROM SincroPromesa ORDER BY href"));
    while (select.step()) {
        Promise promise;
        promise.href = select.column(0).toString();
        promise.etag = select.column(1).toString();
        promise.action = select.column(2).toString() == QLatin1String("reescribir")
                             ? Promise::Action::Rewrite
                             : Promise::Action::Delete;
        if (!select.columnIsNull(3))
            promise.date = DatePattern::toDate(select.columnDouble(3));
        promise.uid = select.column(4).toString();
        promises.push_back(std::move(promise));
    }
    return promises;
}

void SyncBook::record(const Promise& promise)
{
    Statement& upsert = statement(
        QStringLiteral("INSERT OR REPLACE INTO SincroPromesa (href, etag, accion, fecha, uid) "
                       "VALUES (?1, ?2, ?3, ?4, ?5)"));
    upsert.bind(1, promise.href);
    upsert.bind(2, promise.etag);
    upsert.bind(3, promise.action == Promise::Action::Rewrite ? QStringLiteral("reescribir")
                                                              : QStringLiteral("borrar"));
    upsert.bind(4, promise.date.isValid() ? QVariant(DatePattern::fromDate(promise.date))
                                          : QVariant());
    upsert.bind(5, promise.uid);
    upsert.execute();
}

void SyncBook::forgetHref(const QString& href)
{
    for (const char* table : {"SincroEvento", "SincroNotita", "SincroPromesa"}) {
        Statement& remove =
            statement(QStringLiteral("DELETE FROM %1 WHERE href = ?1").arg(QLatin1String(table)));
        remove.bind(1, href);
        remove.execute();
    }
    // Another program's repeating event no longer recorded is no longer shown either.
    SeriesBook(db_).remove(href);
}

void SyncBook::forgetAll()
{
    statement(QStringLiteral("DELETE FROM SincroEvento")).execute();
    statement(QStringLiteral("DELETE FROM SincroNotita")).execute();
    statement(QStringLiteral("DELETE FROM SincroPromesa")).execute();
    SeriesBook(db_).removeAll();
}
