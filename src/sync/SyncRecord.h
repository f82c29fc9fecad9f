#pragma once

#include "sync/SyncItem.h"

#include <QByteArray>
#include <QString>

// What the store keeps of one name on the server since it was last sent or read: its ETag and
// what it holds.
struct SyncRecord
{
    enum class Holds
    {
        Item,    // one of ours; base is the item as last sent or read
        Moved,   // an item's own name, now holding another item (moved on another program);
                 // base.key is the item whose name it is, whose content goes back there
        Brought, // another program's event, brought into its days: promised to be deleted
        Foreign  // another program's, read and left as it is on the server
    };

    QString href;
    QByteArray etag;
    Holds holds = Holds::Item;
    SyncItem base;

    // An item that was on the server as one of ours: what a calendar emptied would lose.
    bool synced() const { return holds == Holds::Item || holds == Holds::Moved; }
};
