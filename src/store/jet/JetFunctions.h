#pragma once

struct sqlite3;

// Registers on a connection the functions the notes' query texts expect of the store:
// len(x) and the LIKE operator with the pattern language of JetPattern, in its two- and
// three-argument forms, so that a query text reaches SQLite unchanged.
class JetFunctions
{
public:
    JetFunctions() = delete;

    // Returns the SQLite result code of the first registration that failed, or SQLITE_OK.
    static int registerOn(sqlite3* db);
    // What len() gives for a text of so many bytes: its characters up to the first NUL.
    static long long length(const unsigned char* utf8, int bytes);
};
