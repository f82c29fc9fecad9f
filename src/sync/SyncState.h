#pragma once

#include <QString>
#include <QTime>

// Where the sync stands, as the always-visible state line says it: "Sincronizado a las
// 10:42", "Sin conexión: 3 cambios pendientes", the first upload's progress, or what failed.
struct SyncState
{
    enum class Kind
    {
        NoServer,   // no account set up
        NotYet,     // set up, not synced yet in this run
        Running,    // under way; done of total days sent once the upload is known
        Synced,     // at the time at; joined days and joinedNotitas kept both texts
        Offline,    // the server could not be reached; pending days wait to go up
        NoPassword, // none known for this run, and none in the keyring
        Failed,     // message says why; pending days wait
    };

    Kind kind = Kind::NoServer;
    QTime at;
    int done = 0;
    int total = 0;
    int joined = 0;
    int joinedNotitas = 0;
    int pending = 0;
    QString message;

    // The whole line.
    QString line() const;
    // The line short enough to stand beside a menu item: a failure is only named; nothing
    // without a server.
    QString brief() const;

    // 2000 as "2.000", as Spanish writes counts of four digits too.
    static QString count(int n);
};
