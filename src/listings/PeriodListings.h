#pragma once

#include "listings/ListingPrinter.h"

#include <QDate>
#include <QString>

#include <optional>

class MessageBoxes;
class NotesPanel;
class Printer;

// The "Mes actual" and "Año actual" listings of the menus: the noted days of the month or year
// of the main window's reference day, shown in the notes panel and, on request, printed.
class PeriodListings
{
public:
    // A run of whole days, first and last included, and the name it is listed under.
    struct Period
    {
        QDate first;
        QDate last;
        QString name;     // "mayo", "1997"
        QString document; // what a printout holds: "Notas de mayo de 1997", "Notas de 1997"
    };

    PeriodListings(NotesPanel& notes, Printer& printer, MessageBoxes& boxes);

    // dFechaActual: the day the main window stands on; its month or year is listed.
    void mPantallaMes_Click(const QDate& dFechaActual);
    void mImpresoraMes_Click(const QDate& dFechaActual);
    void mPantallaAnyo_Click(const QDate& dFechaActual);
    void mImpresoraAnyo_Click(const QDate& dFechaActual);

    // Prints the listing the notes panel holds under a title, as a document of that name.
    void ImprimirListado(const QString& title, const QString& documentName);

    // Nothing when the day is no day the program can show (invalid, or a year beyond 100..9999).
    static std::optional<Period> monthOf(const QDate& day);
    static std::optional<Period> yearOf(const QDate& day);
    static QString suffix(const Period& period); // " Notas halladas de mayo"

private:
    void list(const std::optional<Period>& period, bool print);

    NotesPanel& notes_;
    ListingPrinter printer_;
    MessageBoxes& boxes_;
};
