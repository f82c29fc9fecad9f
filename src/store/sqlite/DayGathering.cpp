#include "store/sqlite/DayGathering.h"

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

void daysGathered(sqlite3_context* context)
{
    sqlite3_result_null(context);
}

} // namespace

int DayGathering::registerOn(sqlite3* db)
{
    return sqlite3_create_function_v2(db, "tarvelo_days", 2, SQLITE_UTF8 | SQLITE_INNOCUOUS,
                                      nullptr, nullptr, gatherDay, daysGathered, nullptr);
}

int DayGathering::bind(sqlite3_stmt* statement, int index, std::vector<double>* days)
{
    return sqlite3_bind_pointer(statement, index, days, kDaysPointer, nullptr);
}
