#include "store/domain/StoreImage.h"

#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"
#include "store/sqlite/Statement.h"
#include "store/sqlite/Transaction.h"

#include <QVariant>

namespace {

template <typename T> QVariant orNull(const std::optional<T>& value)
{
    return value ? QVariant(*value) : QVariant();
}

} // namespace

QByteArray StoreImage::build(const std::vector<DayRecord>& days,
                             const std::vector<NotitaRecord>& notitas)
{
    const auto db = Database::createInMemory();
    Transaction transaction(*db);
    fill(*db, days, notitas);
    transaction.commit();
    return db->image();
}

void StoreImage::fill(Database& db, const std::vector<DayRecord>& days,
                      const std::vector<NotitaRecord>& notitas)
{
    Statement day = db.prepare(
        QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    for (const DayRecord& record : days) {
        day.bind(1, DatePattern::fromDate(record.date));
        day.bind(2, record.note ? QVariant(*record.note) : QVariant());
        day.bind(3, record.holiday ? 1 : 0);
        day.bind(4, record.alarmOn ? 1 : 0);
        day.bind(5, orNull(record.time));
        day.bind(6, orNull(record.colour));
        day.execute();
    }
    Statement notita = db.prepare(QStringLiteral(
        "INSERT INTO Nota (indice, nota, \"Top\", \"Left\") VALUES (?1, ?2, ?3, ?4)"));
    for (const NotitaRecord& record : notitas) {
        notita.bind(1, record.number);
        notita.bind(2, record.text ? QVariant(*record.text) : QVariant());
        notita.bind(3, record.top);
        notita.bind(4, record.left);
        notita.execute();
    }
}
