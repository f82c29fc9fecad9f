#pragma once

#include "TestStore.h"
#include "store/domain/Day.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

// What the iCalendar tests share: calendars written as text, files to put them in, a store
// with every kind of day, and days told as one line each so that a failing compare shows the
// difference.
namespace IcsFixture {

// One VEVENT from its property lines (CRLF added).
inline QByteArray vevent(const QStringList& lines)
{
    QByteArray out = "BEGIN:VEVENT\r\n";
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out + "END:VEVENT\r\n";
}

// A VCALENDAR around the components given.
inline QByteArray calendar(const QByteArray& components)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Pruebas//ES\r\n" + components +
           "END:VCALENDAR\r\n";
}

// A single all-day event: its day, summary and any more lines.
inline QByteArray allDay(const QDate& date, const QString& summary, const QStringList& more = {})
{
    static int serial = 0;
    QStringList lines{QStringLiteral("UID:prueba-%1@example.org").arg(++serial),
                      QStringLiteral("DTSTAMP:20240101T000000Z"),
                      QStringLiteral("DTSTART;VALUE=DATE:") +
                          date.toString(QStringLiteral("yyyyMMdd")),
                      QStringLiteral("SUMMARY:") + summary};
    return vevent(lines + more);
}

inline QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

inline QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString describe(const Day& day)
{
    QString note = day.note;
    note.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QStringLiteral("%1 [%2] %3 %4 %5 %6")
        .arg(day.date.toString(QStringLiteral("dd/MM/yyyy")), note,
             day.holiday ? QStringLiteral("festivo") : QStringLiteral("-"),
             day.alarmOn ? QStringLiteral("alarma") : QStringLiteral("-"),
             day.alarmTime ? day.alarmTime->toString(QStringLiteral("HH:mm"))
                           : QStringLiteral("--:--"),
             day.colour ? DayColours::name(*day.colour) : QStringLiteral("?"));
}

// Every stored day, one line each, in date order.
inline QStringList storedDays(TestStore& t)
{
    QStringList lines;
    DayBook& days = t.store->days();
    if (const auto first = days.first()) {
        for (const Day& day : days.between(*first, *days.last()))
            lines << describe(day);
    }
    return lines;
}

// The longest note there is, with everything the file's text has to escape or fold.
inline QString longNote()
{
    QString note = QStringLiteral("Comillas \"dobles\" y 'simples', comas, punto; y coma\n"
                                  "línea nueva: cañón, pingüino, ÁÉÍÓÚ Ñ ü € — fin\\barra ");
    while (note.size() < Day::kMaxNote)
        note += QLatin1Char(note.size() % 7 == 0 ? ',' : (note.size() % 11 == 0 ? ';' : 'x'));
    return note;
}

// A day of every kind the program writes: holiday without note, each colour, the alarm at
// both ends of the day, the longest note, and the first, a far and the last year.
inline void addEveryKindOfDay(TestStore& t)
{
    using R = TestStore::DayRow;
    const auto at = [](int h, int m) { return QVariant(DatePattern::fromTime(h, m)); };
    t.addDay(QDate(1900, 1, 1), R{.nota = QStringLiteral("Primer día de 1900"), .color = 1});
    t.addDay(QDate(1997, 3, 5), R{.festivo = 1});
    t.addDay(QDate(1997, 3, 6), R{.nota = QStringLiteral("Azul"), .color = 1});
    t.addDay(QDate(1997, 3, 7), R{.nota = QStringLiteral("Gris"), .color = 5});
    t.addDay(QDate(1997, 3, 8), R{.color = 9});
    t.addDay(QDate(1997, 3, 9), R{.festivo = 1, .color = 13});
    t.addDay(QDate(1997, 3, 10), R{.alarma = 1, .hora = at(0, 0)});
    t.addDay(QDate(1997, 3, 11),
             R{.nota = QStringLiteral("Tarde"), .alarma = 1, .hora = at(23, 59)});
    t.addDay(QDate(1997, 3, 12),
             R{.nota = longNote(), .festivo = 1, .alarma = 1, .hora = at(9, 5), .color = 13});
    t.addDay(QDate(2000, 2, 29), R{.nota = QStringLiteral("Bisiesto")});
    t.addDay(QDate(2030, 6, 15), R{.nota = QStringLiteral("Año 2030"), .color = 9});
    t.addDay(
        QDate(9999, 12, 31),
        R{.nota = QStringLiteral("Último día"), .festivo = 1, .alarma = 1, .hora = at(23, 59)});
    // Carries nothing: never written to the file.
    t.addDay(QDate(1997, 3, 13), R{.nota = QString()});
}

} // namespace IcsFixture
