#pragma once

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The aggregate tarvelo_days(list, fecha), registered on every connection: it gathers the dates
// of the rows it sees into the list bound as a pointer, without a step out of SQLite for every
// row. Rows without a date are passed over. tarvelo_noted_days(list, fecha, nota) gathers only
// the rows with a note, as the query of "Ver notas" finds them (len(nota) > 0).
class DayGathering
{
public:
    DayGathering() = delete;

    static int registerOn(sqlite3* db);
    // Binds days as the list parameter at index of a statement that calls the aggregate.
    static int bind(sqlite3_stmt* statement, int index, std::vector<double>* days);
};
