#pragma once

#include "store/sqlite/StoreError.h"

#include <QString>

struct sqlite3;

// The user's words for why the store file failed: an SQLite result code and the system's error
// number turned into a Spanish cause, and the StoreError that names the file and that cause.
// SQLite's own English text only ever goes to the error's detail.
class FailureCause
{
public:
    FailureCause() = delete;

    // What the program was doing when the file failed; it opens the message.
    enum class Doing
    {
        Opening,
        Creating,
        Reading,
        Saving
    };

    // The cause, in lower case and without a full stop ("el disco está lleno"). rc is an
    // extended result code, systemError the errno of the failing call (0 when unknown), holder
    // who keeps the file busy ("el programa sqlite3 (proceso 12)"), when known.
    static QString of(int rc, int systemError = 0, const QString& holder = {});

    // "No se pudo guardar en el archivo de datos «path»: cause." for the latest failure of db.
    // A busy file names the process that holds it, when it can be found.
    static StoreError failure(sqlite3* db, int rc, Doing doing);
    // The same for a file and a cause already known.
    static StoreError failure(const QString& path, Doing doing, const QString& cause, int rc,
                              const QString& detail = {});

    // The path as the user is shown it: absolute, with the system's separators.
    static QString shown(const QString& path);
};
