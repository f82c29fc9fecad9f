#pragma once

class Database;

// A store made new for a person who may have an older calendar elsewhere (the launcher of an
// installed Tarvelo makes one on the first start) carries this mark until the program first
// opens it: the program then offers, once, to bring the older calendar over. The mark is a
// table of its own beside the calendar's, so that other programs open the store as before.
class FirstStartMark
{
public:
    FirstStartMark() = delete;

    // Marks the store. Throws StoreError.
    static void set(Database& db);
    // Whether the store was marked; the mark goes at once, so that the offer is made once
    // whatever the user answers, and even when the program ends while it is shown. A store
    // without the mark is only looked at. Throws StoreError.
    static bool take(Database& db);
};
