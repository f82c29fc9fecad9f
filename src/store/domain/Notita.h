#pragma once

#include <QString>
#include <QtGlobal>

// One stored notita: the row that identifies it, its text and the place of its window on the
// desktop, in twips.
struct Notita
{
    qint64 row = 0; // the store's counter for the row; never changes
    QString text;
    double top = 0;
    double left = 0;

    bool operator==(const Notita&) const = default;
};
