#include "ical/IcsNames.h"

#include <QTime>

namespace {

// Four digits always: iCalendar has no other form of a year, and years below 1000 exist here.
QString compactDate(const QDate& date)
{
    return QStringLiteral("%1%2%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

} // namespace

QString IcsNames::dayUid(const QDate& date)
{
    return QStringLiteral("dia-%1@tarvelo").arg(compactDate(date));
}

QString IcsNames::dayStamp(const QDate& date)
{
    return compactDate(date) + QStringLiteral("T000000Z");
}

QString IcsNames::dateValue(const QDate& date)
{
    return compactDate(date);
}

QString IcsNames::alarmValue(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

QString IcsNames::cssName(DayColour colour)
{
    switch (colour) {
    case DayColour::Azul:
        return QStringLiteral("blue");
    case DayColour::Negro:
        return QStringLiteral("black");
    case DayColour::Verde:
        return QStringLiteral("green");
    case DayColour::Gris:
        break;
    }
    return {};
}

std::optional<DayColour> IcsNames::fromCssName(const QString& name)
{
    for (const DayColour colour : DayColours::kAll) {
        if (colour != DayColours::kNeutral &&
            cssName(colour).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return colour;
    }
    return std::nullopt;
}

namespace {

// What libical takes off both ends of a text it reads.
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QString IcsNames::asReadBack(const QString& note)
{
    // Most notes come back as they are: no copy for them.
    if (!note.contains(QLatin1Char('\r')) &&
        (note.isEmpty() || (!isBlank(note.front()) && !isBlank(note.back()))))
        return note;
    QString text = note;
    text.remove(QLatin1Char('\r'));
    qsizetype lead = 0;
    while (lead < text.size() && isBlank(text[lead]))
        ++lead;
    qsizetype trail = text.size();
    while (trail > lead && isBlank(text[trail - 1]))
        --trail;
    return text.mid(lead, trail - lead);
}

QString IcsNames::exactNote(const QString& note)
{
    const auto atEnd = [](QChar c) { return isBlank(c) || c == QLatin1Char('\r'); };
    qsizetype lead = 0;
    while (lead < note.size() && atEnd(note[lead]))
        ++lead;
    qsizetype trail = note.size();
    while (trail > lead && atEnd(note[trail - 1]))
        --trail;
    // Line breaks and the separators of other properties too, so that the value is one plain
    // run of text whatever a writer or reader does with escapes.
    static const QString kEncoded = QStringLiteral("%\r\n\\,;");
    QString out;
    out.reserve(note.size() + 8);
    for (qsizetype i = 0; i < note.size(); ++i) {
        const QChar c = note[i];
        if (kEncoded.contains(c) || ((i < lead || i >= trail) && isBlank(c)))
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString IcsNames::fromExactNote(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        bool ok = false;
        const uint code = value[i] == QLatin1Char('%') && i + 2 < value.size()
                              ? value.mid(i + 1, 2).toUInt(&ok, 16)
                              : 0;
        if (ok) {
            out += QChar(char16_t(code));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

QString IcsNames::standIn(bool holiday, const std::optional<DayColour>& colour, bool alarmOn)
{
    if (holiday)
        return QString::fromLatin1(kHoliday);
    if (colour && *colour != DayColours::kNeutral)
        return DayColours::name(*colour);
    if (alarmOn)
        return QString::fromLatin1(kAlarmOnly);
    return QString::fromLatin1(kBlankNote);
}
