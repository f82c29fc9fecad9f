#include "sync/SyncItem.h"

#include "store/domain/TextMerge.h"
#include "sync/DayContent.h"
#include "sync/ForeignSeries.h"
#include "sync/NotitaContent.h"

namespace {

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

// Both days changed since from, neither emptied.
Day mergeDays(const Day& from, const Day& local, const Day& remote, bool& joined)
{
    Day day = local;
    const TextMerge::Result note = TextMerge::merge(from.note, local.note, remote.note);
    day.note = note.text;
    joined = note.joined;
    const Marks fromMarks = marksOf(from);
    const Marks localMarks = marksOf(local);
    if (marksOf(remote) != fromMarks) {
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
            joined = true;
        setMarks(day, marks);
    }
    return day;
}

} // namespace

bool SyncItem::Key::operator<(const Key& other) const
{
    if (kind != other.kind)
        return kind < other.kind;
    if (date != other.date)
        return date < other.date;
    return uid < other.uid;
}

QString SyncItem::Key::shown(const QString& text) const
{
    if (kind == Kind::Day)
        return QStringLiteral("el día %1").arg(date.toString(QStringLiteral("dd/MM/yyyy")));
    return QStringLiteral("la notita «%1»").arg(text.section(u'\n', 0, 0));
}

SyncItem SyncItem::ofDay(const Day& day)
{
    SyncItem item;
    item.key = {Kind::Day, day.date, {}};
    item.day = DayContent::canonical(day);
    return item;
}

SyncItem SyncItem::ofNotita(const QString& uid, const QString& text)
{
    SyncItem item;
    item.key = {Kind::Notita, {}, uid};
    item.text = NotitaContent::canonical(text);
    return item;
}

SyncItem SyncItem::emptyOf(const Key& key)
{
    if (key.kind == Kind::Notita)
        return ofNotita(key.uid, QString());
    Day day;
    day.date = key.date;
    return ofDay(day);
}

bool SyncItem::present() const
{
    return key.kind == Kind::Day ? DayContent::isEvent(day) : !text.isEmpty();
}

bool SyncItem::sameAs(const SyncItem& other) const
{
    if (key.kind != other.key.kind)
        return false;
    if (key.kind == Kind::Notita)
        return text == other.text;
    const Day& a = day;
    const Day& b = other.day;
    return a.note == b.note && a.holiday == b.holiday && a.alarmOn == b.alarmOn &&
           a.alarmTime == b.alarmTime && a.colour == b.colour;
}

QString SyncItem::fileNameOf(const Key& key)
{
    return key.kind == Kind::Day ? DayContent::fileName(key.date)
                                 : NotitaContent::fileName(key.uid);
}

QString SyncItem::fileName() const
{
    return fileNameOf(key);
}

QByteArray SyncItem::body() const
{
    return key.kind == Kind::Day ? DayContent::body(day) : NotitaContent::body(key.uid, text);
}

SyncItem SyncItem::merge(const std::optional<SyncItem>& base, const SyncItem& local,
                         const SyncItem& remote, bool* joined)
{
    bool both = false;
    const SyncItem from = base ? *base : emptyOf(local.key);
    SyncItem out = local;
    if (local.sameAs(from) || (!local.present() && !from.present())) {
        out = remote;
    } else if (remote.sameAs(from) || remote.sameAs(local)) {
        out = local;
    } else if (!local.present()) {
        out = remote; // emptied here, edited there: the edit stands whole
    } else if (!remote.present()) {
        out = local;
    } else if (local.key.kind == Kind::Notita) {
        const TextMerge::Result text = TextMerge::merge(
            base ? std::optional(from.text) : std::nullopt, local.text, remote.text);
        out.text = text.text;
        both = text.joined;
    } else {
        // Both new: the empty day is all they share, so both notes stand unless one holds
        // the other.
        out.day = mergeDays(from.day, local.day, remote.day, both);
    }
    out.key = local.key;
    if (out.key.kind == Kind::Day)
        out.day.date = local.key.date;
    if (joined)
        *joined = both;
    return out;
}

SyncItem SyncItem::bringInto(const SyncItem& local, const QString& text, bool holiday,
                             const std::optional<DayColour>& colour,
                             const std::optional<QTime>& alarm)
{
    SyncItem out = local;
    if (local.key.kind == Kind::Notita) {
        out.text = NotitaContent::canonical(TextMerge::join(local.text, text));
        return out;
    }
    Day day = local.day;
    day.note = TextMerge::join(day.note, text);
    day.holiday = day.holiday || holiday;
    if (colour && *colour != DayColours::kNeutral &&
        day.colour.value_or(DayColours::kNeutral) == DayColours::kNeutral)
        day.colour = colour;
    if (alarm && !day.alarmOn) {
        day.alarmOn = true;
        day.alarmTime = alarm;
    }
    out.day = DayContent::canonical(day);
    return out;
}

SyncItem::Read SyncItem::read(const QByteArray& body, const QString& where)
{
    Read read;
    const DayContent::Read day = DayContent::read(body, where);
    if (day.ours) {
        read.what = Read::What::Item;
        read.item = ofDay(day.day);
        return read;
    }
    // Another program's repeating event, whichever of its components comes first: its own,
    // and shown from its body.
    if (ForeignSeries::repeats(body)) {
        read.what = Read::What::Foreign;
        read.dates = day.dates;
        read.text = day.text;
        read.holiday = day.holiday;
        read.recurring = true;
        read.body = body;
        return read;
    }
    if (!day.dates.empty()) {
        if (day.text.isEmpty() && !day.holiday)
            return read;
        read.what = Read::What::Foreign;
        read.dates = day.dates;
        read.text = day.text;
        read.holiday = day.holiday;
        read.recurring = day.recurring;
        return read;
    }
    if (const std::optional<NotitaContent::Read> notita = NotitaContent::read(body, where)) {
        read.what = Read::What::Item;
        read.item = ofNotita(notita->uid, notita->text);
    }
    return read;
}
