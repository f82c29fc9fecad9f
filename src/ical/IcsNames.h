#pragma once

#include "store/domain/DayColour.h"

#include <QDate>
#include <QString>
#include <QtGlobal>

#include <optional>

// The words the exporter writes and the importer reads back: our own properties, the holiday
// category, the colours' standard names and the identities of days. Kept in one place so that
// the two sides can never drift apart.
class IcsNames
{
public:
    IcsNames() = delete;

    static constexpr const char* kProductId = "-//Tarvelo//Tarvelo calendario//ES";
    // The category of a holiday, as other calendars show it and as the importer looks for it.
    static constexpr const char* kHoliday = "Festivo";
    // Our own properties: other clients keep or ignore them, and they bring a day back exactly.
    static constexpr const char* kColour = "X-TARVELO-COLOR";    // "Azul", "Negro", "Verde"
    static constexpr const char* kAlarm = "X-TARVELO-ALARMA";    // "HH:MM"
    static constexpr const char* kNoNote = "X-TARVELO-SIN-NOTA"; // the summary stands in
    // The note as stored, where SUMMARY and DESCRIPTION cannot carry it exactly (readers drop
    // the blanks around a text and a CR): percent-encoded, see exactNote.
    static constexpr const char* kNote = "X-TARVELO-NOTA";
    static constexpr const char* kAlarmOnly = "Alarma";         // summary of a bare alarm
    static constexpr const char* kBlankNote = "Nota en blanco"; // summary of a note of blanks
    // A notita has no day: every notita carries this one stamp.
    static constexpr const char* kNotitaStamp = "20000101T000000Z";

    static QString dayUid(const QDate& date);     // "dia-19970305@tarvelo"
    static QString dayStamp(const QDate& date);   // the day at midnight UTC: "19970305T000000Z"
    static QString dateValue(const QDate& date);  // "19970305"
    static QString alarmValue(const QTime& time); // "09:05"

    // What stands in SUMMARY for a day without a note, in calendars that show only the
    // summary: its holiday, else its colour, else its alarm, else a note of blanks.
    static QString standIn(bool holiday, const std::optional<DayColour>& colour, bool alarmOn);

    // The standard colour (RFC 7986, a CSS name) of a Tarvelo colour, and back; the neutral
    // colour has none.
    static QString cssName(DayColour colour);
    static std::optional<DayColour> fromCssName(const QString& name);

    // A note as readers of SUMMARY and DESCRIPTION give it back: CRs dropped, blanks around
    // it gone.
    static QString asReadBack(const QString& note);
    // The note in our own property, and back: every '%', CR and blank at either end encoded.
    static QString exactNote(const QString& note);
    static QString fromExactNote(const QString& value);
};
