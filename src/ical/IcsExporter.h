#pragma once

#include "ical/ExportSummary.h"
#include "store/domain/Day.h"
#include "store/domain/Notita.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

class CalendarStore;

// Writes the calendar as an iCalendar file that any calendar program reads: every day that
// carries something as an all-day event (the note's first line as SUMMARY, the whole note as
// DESCRIPTION, the colour as a category and as the standard COLOR, our own properties to bring
// the day back exactly), every notita as a journal entry with an identity of its own.
//
// How to call it (the menu "Exportar a iCalendar…" and `tarvelo-db export-ics`):
//
//     try {
//         const ExportSummary summary = IcsExporter::exportFile(store, path);
//         boxes.show(summary.text(), MessageBoxes::Information,
//            QStringLiteral("Exportar a iCalendar"));
//     } catch (const IcsError& error) {
//         boxes.show(error.message(), MessageBoxes::Exclamation,
//            QStringLiteral("Exportar a iCalendar"));
//     }
//
// The file is replaced only once all of it is written; a failure leaves any earlier file
// there as it was. Two exports of an unchanged store give the same bytes. No StoreError leaves
// this function.
class IcsExporter
{
public:
    IcsExporter() = delete;

    static ExportSummary exportFile(CalendarStore& store, const QString& file);

    // The same in two steps, so that the window reads the store on its own thread and leaves
    // the making of the file to another: what is to be written, read from the store; then the
    // file written from it (on any thread).
    struct Content
    {
        QString file;
        std::vector<Day> days;
        std::vector<Notita> notitas;
        std::map<qint64, QString> notitaUids;
    };
    static Content gather(CalendarStore& store, const QString& file);
    static ExportSummary write(const Content& content);

    // The file's text for these days and notitas, as exportFile writes it (days that carry
    // nothing and notitas of blanks only are left out).
    // notitaUids: each notita's identity, by row.
    static QByteArray render(const std::vector<Day>& days, const std::vector<Notita>& notitas,
                             const std::map<qint64, QString>& notitaUids);
    // Whether a day is written: it has a note (blanks too), a holiday mark, a colour other than
    // the neutral one, or its alarm on.
    static bool isExported(const Day& day);
};
