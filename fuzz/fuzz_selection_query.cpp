// The selection's query from any dialog contents: every query it builds is one statement that
// parses, only reads, and reads nothing but the table calendar.

#include "store/jet/JetFunctions.h"
#include "store/listings/SelectionQuery.h"

#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int onlyCalendar(void*, int action, const char* a, const char*, const char*, const char*)
{
    if (action == SQLITE_READ && (a == nullptr || std::strcmp(a, "calendar") != 0))
        return SQLITE_DENY;
    if (action == SQLITE_SELECT || action == SQLITE_READ || action == SQLITE_FUNCTION)
        return SQLITE_OK;
    return SQLITE_DENY;
}

sqlite3* database()
{
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        sqlite3_exec(d,
                     "CREATE TABLE calendar (fecha REAL, nota TEXT, festivo INTEGER, "
                     "alarma INTEGER, hora REAL, Color INTEGER);"
                     "CREATE TABLE Nota (indice INTEGER PRIMARY KEY, nota TEXT);"
                     "INSERT INTO calendar VALUES (35494, 'Reunión con O''Brien', 1, 0, 0, 1),"
                     "(35495, '[50%] *aviso*', 0, 1, 0.5, 13), (35496, NULL, 0, 0, NULL, 5), "
                     "(35497, 'festivo antiguo', -1, -1, 0, 9);",
                     nullptr, nullptr, nullptr);
        JetFunctions::registerOn(d);
        sqlite3_set_authorizer(d, onlyCalendar, nullptr);
        return d;
    }();
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 18)
        return 0;
    SelectionCriteria selection;
    std::memcpy(&selection.desde, data, 8);
    std::memcpy(&selection.hasta, data + 8, 8);
    selection.festivo = data[16] & 1;
    selection.laboral = data[16] & 2;
    // Four colours and "Todos".
    const std::size_t colour = std::size_t(data[16] >> 2) % (DayColours::kAll.size() + 1);
    if (colour < DayColours::kAll.size())
        selection.colour = DayColours::kAll[colour];
    selection.word =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 17), qsizetype(size - 17));

    const QByteArray sql = SelectionQuery::query(selection).toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(database(), sql.constData(), int(sql.size()), &statement, &tail);
    if (rc != SQLITE_OK || statement == nullptr) {
        std::fprintf(stderr, "query does not parse: %s\n%s\n", sql.constData(),
                     sqlite3_errmsg(database()));
        std::abort();
    }
    if (tail && *tail != '\0')
        std::abort(); // a second statement
    if (!sqlite3_stmt_readonly(statement))
        std::abort();
    while (sqlite3_step(statement) == SQLITE_ROW) {
    }
    sqlite3_finalize(statement);
    selection.title(3, QStringLiteral("01/01/1997"), QStringLiteral("31/12/1997"));
    return 0;
}
