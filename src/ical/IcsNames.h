#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

// The words the exporter writes and the importer reads back: our own properties, the holiday
// category and the identities of days and notitas. Kept in one place so that the two sides
// can never drift apart.
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
    static constexpr const char* kAlarmOnly = "Alarma";          // summary of a bare alarm
    // A notita has no day: every notita carries this one stamp.
    static constexpr const char* kNotitaStamp = "20000101T000000Z";

    static QString dayUid(const QDate& date);     // "dia-19970305@tarvelo"
    static QString notitaUid(qint64 row);         // "notita-3@tarvelo"
    static QString dayStamp(const QDate& date);   // the day at midnight UTC: "19970305T000000Z"
    static QString dateValue(const QDate& date);  // "19970305"
    static QString alarmValue(const QTime& time); // "09:05"
};
