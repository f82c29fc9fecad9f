#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// A notita's row as another calendar stored it: its own number, its text (none: Null) and
// the place of its window, in twips.
struct NotitaRecord
{
    qint64 number = 0;
    std::optional<QString> text;
    double top = 0;
    double left = 0;

    bool operator==(const NotitaRecord&) const = default;
};
