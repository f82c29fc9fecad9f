#pragma once

#include <QDate>
#include <QString>

#include <optional>

// A day's row exactly as another calendar stored it, for a store made from it: any colour code,
// the alarm's time as its stored value (to the second, whatever its day part), a Null note apart
// from an empty one.
struct DayRecord
{
    QDate date;
    std::optional<QString> note; // none: Null
    bool holiday = false;
    bool alarmOn = false;
    std::optional<double> time; // the stored hora value
    std::optional<int> colour;  // the stored code; none: Null

    bool operator==(const DayRecord&) const = default;
};
