#pragma once

#include <QString>
#include <QStringList>

#include <limits>
#include <utility>
#include <vector>

// What came over from an older calendar: how many days, notes, holidays, alarms and notitas,
// and every row that had to change on the way, with why.
struct ConversionReport
{
    QString file;   // the older file, as shown
    QString format; // "Jet 3 (Access 97)", "Jet 4 (Access 2000 a 2003)"
    int days = 0;
    int notes = 0;
    int holidays = 0;
    int alarms = 0;
    int notitas = 0;
    QStringList changes;

    // The summary the tool prints and the program shows, listing at most maxChanges changes
    // (the rest counted).
    QString text(qsizetype maxChanges = std::numeric_limits<qsizetype>::max()) const;
    // The same for a window, whose letters are not all of one width: the counts stand in a
    // column of a table, more counts after them (a join's), and then the paragraphs given.
    using Count = std::pair<QString, int>;
    QString html(qsizetype maxChanges, const std::vector<Count>& more = {},
                 const QStringList& paragraphs = {}) const;
};
