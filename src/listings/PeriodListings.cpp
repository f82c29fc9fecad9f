#include "listings/PeriodListings.h"

#include "listings/NotesPanel.h"
#include "platform/MessageBoxes.h"
#include "store/jet/DatePattern.h"
#include "store/listings/NoteQueries.h"

namespace {

bool isShowableDay(const QDate& day)
{
    return day.isValid() && DatePattern::inRange(day.year());
}

} // namespace

PeriodListings::PeriodListings(NotesPanel& notes, Printer& printer, MessageBoxes& boxes)
    : notes_(notes), printer_(printer), boxes_(boxes)
{
}

std::optional<PeriodListings::Period> PeriodListings::monthOf(const QDate& day)
{
    if (!isShowableDay(day))
        return std::nullopt;
    const QDate first(day.year(), day.month(), 1);
    const QString month = DatePattern::monthName(day.month());
    return Period{first, QDate(day.year(), day.month(), first.daysInMonth()), month,
                  QStringLiteral("Notas de %1 de %2").arg(month).arg(day.year())};
}

std::optional<PeriodListings::Period> PeriodListings::yearOf(const QDate& day)
{
    if (!isShowableDay(day))
        return std::nullopt;
    const QDate first(day.year(), 1, 1);
    const QString year = DatePattern::format(DatePattern::fromDate(first), QStringLiteral("yyyy"));
    return Period{first, QDate(day.year(), 12, 31), year, QStringLiteral("Notas de ") + year};
}

QString PeriodListings::suffix(const Period& period)
{
    return QStringLiteral(" Notas halladas de ") + period.name;
}

void PeriodListings::list(const std::optional<Period>& period, bool print)
{
    if (!period) {
        // The reference day comes from outside this class; a listing of no period would
        // only list nothing under a meaningless caption.
        boxes_.show(QStringLiteral("Fecha erronea"));
        return;
    }
    if (!notes_.MostrarListado(NoteQueries::period(period->first, period->last), suffix(*period)))
        return;
    const int count = notes_.recordCount();
    if (print && count > 0)
        ImprimirListado(QString::number(count) + suffix(*period), period->document);
}

void PeriodListings::ImprimirListado(const QString& title, const QString& documentName)
{
    printer_.ImprimirListado(notes_.listing(), title, documentName);
}

void PeriodListings::mPantallaMes_Click(const QDate& dFechaActual)
{
    list(monthOf(dFechaActual), false);
}

void PeriodListings::mImpresoraMes_Click(const QDate& dFechaActual)
{
    list(monthOf(dFechaActual), true);
}

void PeriodListings::mPantallaAnyo_Click(const QDate& dFechaActual)
{
    list(yearOf(dFechaActual), false);
}

void PeriodListings::mImpresoraAnyo_Click(const QDate& dFechaActual)
{
    list(yearOf(dFechaActual), true);
}
