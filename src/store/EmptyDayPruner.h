#pragma once

class TableCursor;

// Start-up's tidy-up of the day table: among the 60 latest days, rows that carry nothing (no
// note, no alarm, grey, no holiday) are deleted; older rows are never looked at.
class EmptyDayPruner
{
public:
    EmptyDayPruner() = delete;

    static constexpr int kWindow = 60;
    // Returns the number of rows deleted.
    static int prune(TableCursor& rsCalendar);
};
