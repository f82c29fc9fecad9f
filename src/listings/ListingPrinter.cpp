#include "listings/ListingPrinter.h"

#include "platform/Printer.h"
#include "store/DatePattern.h"
#include "store/NoteListing.h"

ListingPrinter::ListingPrinter(Printer& printer) : printer_(printer) {}

QString ListingPrinter::line(const QDate& fecha, const QString& nota)
{
    return DatePattern::format(DatePattern::fromDate(fecha), QStringLiteral("dd/mmm/yy")) +
           QStringLiteral("  ") + nota;
}

void ListingPrinter::ImprimirListado(const NoteListing& rsLista, const QString& title) const
{
    if (rsLista.recordCount() == 0)
        return;
    printer_.printLine(title);
    printer_.printLine(rule());
    printer_.printLine(heading());
    for (int row = 0; row < rsLista.recordCount(); ++row)
        printer_.printLine(line(rsLista.dateAt(row), rsLista.noteAt(row)));
    // A document the printer could not take has been reported by the printer itself.
    printer_.endDoc();
}
