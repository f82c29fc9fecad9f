#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class Database;

// What changed in the store under the windows that show it.
struct StoreChanges
{
    bool days = false;    // the days may have changed: the month, the lists, an open day
    bool notitas = false; // the notitas' rows changed
};

// Writes to the store that the program did not make through the windows that show it: another
// program's (the store tool, a sync in another process, sqlite3), found by looking, or one
// made on the program's own connection by a part that is not a window (a sync), told with
// announce(). Both reach the windows the same way, through changed().
//
// Looking costs next to nothing: SQLite counts the commits that other connections make to the
// file (PRAGMA data_version), and only when that count moved are the notitas, a table of a few
// rows, read to tell whether they were among what changed.
class OutsideWrites : public QObject
{
    Q_OBJECT
public:
    explicit OutsideWrites(Database& db, QObject* parent = nullptr);

    // Takes the store as it is once open as seen: what other programs write later is told.
    void start();
    // Looks now; emits changed() when another program wrote since the last look.
    void check();
    // The program's own connection wrote changes no window made: the windows show them.
    void announce(const StoreChanges& changes);

signals:
    void changed(const StoreChanges& changes);

private:
    qint64 dataVersion();
    QByteArray notitaDigest();

    Database& db_;
    qint64 version_ = 0;
    QByteArray notitas_;
};
