#pragma once

class Database;

// The calendar's tables and index: how a new store is made, and the check that an existing
// file holds every table, field and index the program reads and writes.
class Schema
{
public:
    Schema() = delete;

    static void create(const Database& db);
    // Throws StoreError naming the file and the first thing missing.
    static void verify(const Database& db);
};
