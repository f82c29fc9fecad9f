#include "listings/ListingPrinter.h"

#include "platform/Printer.h"
#include "store/DatePattern.h"
#include "store/Listing.h"

ListingPrinter::ListingPrinter(Printer& printer) : printer_(printer) {}

QString ListingPrinter::line(double fecha, const QString& nota)
{
    return DatePattern::format(fecha, QStringLiteral("dd/mmm/yy")) + QStringLiteral("  ") + nota;
}

void ListingPrinter::ImprimirListado(Listing& rsLista, const QString& title) const
{
    // Whatever row the notes panel left current, the print starts at the first; a listing
    // walked back past its first row is still printed whole rather than as an empty page.
    if (rsLista.recordCount() == 0)
        return;
    rsLista.moveFirst();
    printer_.printLine(title);
    printer_.printLine(rule());
    printer_.printLine(heading());
    while (!rsLista.eof()) {
        printer_.printLine(line(rsLista.value(QStringLiteral("fecha")).toDouble(),
                                rsLista.value(QStringLiteral("nota")).toString()));
        rsLista.moveNext();
    }
    // A document the printer could not take has been reported by the printer itself.
    printer_.endDoc();
}
