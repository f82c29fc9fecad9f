#pragma once

#include <QString>

// What one sync did, for the state line and the store tool.
struct SyncReport
{
    int sent = 0;                // days written to the server
    int received = 0;            // days changed here by the server's events
    int deletedThere = 0;        // days emptied here and so deleted on the server
    int deletedHere = 0;         // days emptied here because the server's event went
    int joined = 0;              // days changed on both sides, put together
    int broughtIn = 0;           // other programs' events brought into their days
    int notitasSent = 0;         // notitas written to the server
    int notitasReceived = 0;     // notitas changed or made here by the server's entries
    int notitasDeletedThere = 0; // notitas deleted here and so on the server
    int notitasDeletedHere = 0;  // notitas deleted here because the server's entry went
    int notitasJoined = 0;       // notitas changed on both sides, both texts kept

    // "Subidos: 3 · bajados: 1 · ..." in Spanish, one line.
    QString text() const;
};
