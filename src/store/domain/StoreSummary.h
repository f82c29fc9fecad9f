#pragma once

#include <QString>
#include <QtGlobal>

class Database;

// What a store holds, counted for the store tool's check: its days, those with a note, its
// notitas, and SQLite's verdict on its pages.
struct StoreSummary
{
    qint64 days = 0;
    qint64 notedDays = 0;
    qint64 notitas = 0;
    QString verdict; // "ok", or the first damage found

    // Reads every page of the file (a quick check) and counts; throws StoreError on failure.
    static StoreSummary of(const Database& db);
};
