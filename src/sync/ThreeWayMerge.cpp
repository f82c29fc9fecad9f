#include "sync/ThreeWayMerge.h"

#include "sync/DayContent.h"

const QString ThreeWayMerge::kSeparator = QStringLiteral(" · ");

namespace {

bool holds(const QString& note, const QString& text)
{
    if (note == text)
        return true;
    for (const QString& part : note.split(ThreeWayMerge::kSeparator)) {
        if (part == text)
            return true;
    }
    return false;
}

struct Marks
{
    bool holiday;
    bool alarmOn;
    std::optional<QTime> alarmTime;
    std::optional<DayColour> colour;
    bool operator==(const Marks&) const = default;
};

Marks marksOf(const Day& day)
{
    return {day.holiday, day.alarmOn, day.alarmTime, day.colour};
}

void setMarks(Day& day, const Marks& marks)
{
    day.holiday = marks.holiday;
    day.alarmOn = marks.alarmOn;
    day.alarmTime = marks.alarmTime;
    day.colour = marks.colour;
}

} // namespace

QString ThreeWayMerge::join(const QString& note, const QString& text)
{
    if (text.isEmpty() || holds(note, text))
        return note;
    if (note.isEmpty() || holds(text, note))
        return text;
    return note + kSeparator + text;
}

ThreeWayMerge::Result ThreeWayMerge::merge(const std::optional<Day>& base, const Day& local,
                                           const Day& remote)
{
    Day empty;
    empty.date = local.date;
    empty = DayContent::canonical(empty);
    const Day& from = base ? *base : empty;
    if (local == from)
        return {remote, false};
    if (remote == from || remote == local)
        return {local, false};
    // A deletion against an edit: the edit stands whole.
    if (!DayContent::isEvent(local))
        return {remote, false};
    if (!DayContent::isEvent(remote))
        return {local, false};

    Result result{local, false};
    if (local.note != from.note && remote.note != from.note && local.note != remote.note) {
        result.day.note = join(local.note, remote.note);
        result.joined = true;
    } else if (remote.note != from.note) {
        result.day.note = remote.note;
    }
    const Marks localMarks = marksOf(local);
    const Marks remoteMarks = marksOf(remote);
    const Marks fromMarks = marksOf(from);
    if (remoteMarks != fromMarks) {
        // Each mark on its own: a holiday set here and an alarm set there both stand.
        Marks marks = localMarks;
        if (remote.holiday != from.holiday)
            marks.holiday = remote.holiday;
        if (remote.alarmOn != from.alarmOn || remote.alarmTime != from.alarmTime) {
            marks.alarmOn = remote.alarmOn;
            marks.alarmTime = remote.alarmTime;
        }
        if (remote.colour != from.colour)
            marks.colour = remote.colour;
        if (localMarks != fromMarks && marks != localMarks)
            result.joined = true;
        setMarks(result.day, marks);
    }
    return result;
}

ThreeWayMerge::TextResult ThreeWayMerge::mergeText(const std::optional<QString>& base,
                                                   const QString& local, const QString& remote)
{
    const QString from = base.value_or(QString());
    if (local == from)
        return {remote, false};
    if (remote == from || remote == local || remote.isEmpty())
        return {local, false};
    if (local.isEmpty())
        return {remote, false};
    const QString joined = join(local, remote);
    return {joined, joined != local && joined != remote};
}
