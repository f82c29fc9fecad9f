#pragma once

#include <QString>

class MessageBoxes;

// Start-up on a folder whose calendar.mdb is the older program's Access file: the user is asked
// whether to convert it; "Sí" replaces it by its conversion (the original kept beside it) and
// shows what came over, "No" leaves the folder as it was. A look at the file's first bytes
// tells an Access file from a store, so that the start on a store is not slowed.
class OldCalendarOffer
{
public:
    OldCalendarOffer() = delete;

    // True when the folder's store is to be opened now; false when the program ends (the user
    // said "No", or the conversion failed and the user has been told why).
    static bool run(MessageBoxes& boxes, const QString& folder);
};
