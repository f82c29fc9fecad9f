#pragma once

#include <QDate>
#include <QString>

class NoteListing;
class Printer;

// The printed form of every listing of notes: a title, a rule, the column heading, then one
// line a day, sent to the printer as one document.
class ListingPrinter
{
public:
    static constexpr int kRuleWidth = 75;

    explicit ListingPrinter(Printer& printer);

    static QString rule() { return QString(kRuleWidth, QLatin1Char('-')); }
    static QString heading() { return QStringLiteral("Fecha      Nota"); }
    // "05/may/97  " and the note as stored, line breaks and all.
    static QString line(const QDate& fecha, const QString& nota);

    // Prints every row of rsLista, from the first, in a document named for what it holds. An
    // empty listing prints nothing and makes no document.
    void ImprimirListado(const NoteListing& rsLista, const QString& title,
                         const QString& documentName) const;

private:
    Printer& printer_;
};
