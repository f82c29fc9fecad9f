#pragma once

#include <QString>

class Database;

// The calendar's tables and index: how a new store is made, and the check that an existing
// file holds every table, field and index the program reads and writes.
class Schema
{
public:
    Schema() = delete;

    static void create(const Database& db);
    // Throws StoreError naming the file and the first thing missing, or the first thing the
    // program cannot work with (a view, a table without row numbers, no way to name a row).
    static void verify(const Database& db);
    // The name by which the table's own row number is reached: "rowid", unless the table has a
    // field of that name; then "_rowid_" or "oid". Empty when all three are fields.
    static QString rowidName(const Database& db, const QString& table);
};
