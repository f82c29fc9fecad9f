#include "listings/ListingPrinter.h"

#include "platform/Printer.h"
#include "store/jet/DatePattern.h"
#include "store/listings/NoteListing.h"

#include <vector>

ListingPrinter::ListingPrinter(Printer& printer) : printer_(printer) {}

QString ListingPrinter::line(const QDate& fecha, const QString& nota)
{
    return DatePattern::format(DatePattern::fromDate(fecha), QStringLiteral("dd/mmm/yy")) +
           QStringLiteral("  ") + nota;
}

void ListingPrinter::ImprimirListado(const NoteListing& rsLista, const QString& title,
                                     const QString& documentName) const
{
    if (rsLista.recordCount() == 0)
        return;
    printer_.setDocumentName(documentName);
    printer_.printLine(title);
    printer_.printLine(rule());
    printer_.printLine(heading());
    // Read in long runs, a query each: the printout goes through every row once, and a run
    // holds only its own notes.
    constexpr int kRun = 4096;
    for (int from = 0; from < rsLista.recordCount(); from += kRun) {
        std::vector<QString> notes(std::size_t(std::min(kRun, rsLista.recordCount() - from)));
        rsLista.readRows(from, from + int(notes.size()), [&](int row, const QString& note) {
            notes[std::size_t(row - from)] = note;
        });
        for (std::size_t k = 0; k < notes.size(); ++k)
            printer_.printLine(line(rsLista.dateAt(from + int(k)), notes[k]));
    }
    // A document the printer could not take has been reported by the printer itself.
    printer_.endDoc();
}
