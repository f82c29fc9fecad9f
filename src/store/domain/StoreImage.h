#pragma once

#include "store/domain/DayRecord.h"
#include "store/domain/NotitaRecord.h"

#include <QByteArray>

#include <vector>

class Database;

// A new store made whole from the rows of another calendar, in one transaction in memory, and
// given back as the bytes of its file: the caller decides where and how they reach the disk.
// The days must be one per date; the notitas' numbers distinct.
class StoreImage
{
public:
    StoreImage() = delete;

    // Throws StoreError (two rows for one day, two notitas of one number).
    static QByteArray build(const std::vector<DayRecord>& days,
                            const std::vector<NotitaRecord>& notitas);
    // The same rows written as they are into an open store, inside the caller's transaction:
    // the days must have no row there yet, the notitas' numbers be free. Throws StoreError.
    static void fill(Database& db, const std::vector<DayRecord>& days,
                     const std::vector<NotitaRecord>& notitas);
};
