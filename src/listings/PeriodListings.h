#pragma once

#include "listings/ListingPrinter.h"

#include <QString>

#include <optional>

class CalendarStore;
class MessageBoxes;
class NotesPanel;
class Printer;

// The "Mes actual" and "Año actual" listings of the menus: the noted days of the month or year
// of the main window's reference day, shown in the notes panel and, on request, printed.
class PeriodListings
{
public:
    // A period of whole days, first and last included, and the name it is listed under.
    struct Period
    {
        double first = 0;
        double last = 0;
        QString name; // "mayo", "1997"
    };

    PeriodListings(NotesPanel& notes, Printer& printer, MessageBoxes& boxes);

    void setStore(CalendarStore* store) { store_ = store; }

    // dFechaActual: the day the main window stands on; its month or year is listed.
    void mPantallaMes_Click(double dFechaActual);
    void mImpresoraMes_Click(double dFechaActual);
    void mPantallaAnyo_Click(double dFechaActual);
    void mImpresoraAnyo_Click(double dFechaActual);

    // Prints the listing the notes panel holds under a title.
    void ImprimirListado(const QString& title);

    // Nothing when the day is no day the program can show (NaN, or a year beyond 100..9999).
    static std::optional<Period> monthOf(double day);
    static std::optional<Period> yearOf(double day);
    static QString query(const Period& period);
    static QString suffix(const Period& period); // " Notas halladas de mayo"

private:
    void list(const std::optional<Period>& period, bool print);

    NotesPanel& notes_;
    ListingPrinter printer_;
    MessageBoxes& boxes_;
    CalendarStore* store_ = nullptr;
};
