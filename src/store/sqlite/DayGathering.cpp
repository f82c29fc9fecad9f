#include "store/sqlite/DayGathering.h"

#include "store/jet/JetFunctions.h"

#include <sqlite3.h>

namespace {

constexpr const char* kDaysPointer = "tarvelo-days";

void gatherDay(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    auto* days = static_cast<std::vector<double>*>(sqlite3_value_pointer(argv[0], kDaysPointer));
    if (!days || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return;
    try {
        days->push_back(sqlite3_value_double(argv[1]));
    } catch (...) {
        sqlite3_result_error_nomem(context);
    }
}

// A note is what len() counts characters in. Most notes begin with a character of plain ASCII,
// told by their first byte; only the rest are counted.
bool isNote(sqlite3_value* note)
{
    if (sqlite3_value_type(note) == SQLITE_NULL)
        return false;
    const unsigned char* utf8 = sqlite3_value_text(note);
    if (!utf8)
        return false;
    if (utf8[0] != 0 && utf8[0] < 0x80)
        return true;
    return JetFunctions::length(utf8, sqlite3_value_bytes(note)) > 0;
}

void gatherNotedDay(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    if (isNote(argv[2]))
        gatherDay(context, 2, argv);
}

void daysGathered(sqlite3_context* context)
{
    sqlite3_result_null(context);
}

} // namespace

int DayGathering::registerOn(sqlite3* db)
{
    const int rc = sqlite3_create_function_v2(db, "tarvelo_days", 2, SQLITE_UTF8 | SQLITE_INNOCUOUS,
                                              nullptr, nullptr, gatherDay, daysGathered, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    return sqlite3_create_function_v2(db, "tarvelo_noted_days", 3, SQLITE_UTF8 | SQLITE_INNOCUOUS,
                                      nullptr, nullptr, gatherNotedDay, daysGathered, nullptr);
}

int DayGathering::bind(sqlite3_stmt* statement, int index, std::vector<double>* days)
{
    return sqlite3_bind_pointer(statement, index, days, kDaysPointer, nullptr);
}
