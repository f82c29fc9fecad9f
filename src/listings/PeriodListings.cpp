#include "listings/PeriodListings.h"

#include "listings/NotesPanel.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <cmath>

namespace {

bool isShowableDay(double day)
{
    return std::isfinite(day) && DatePattern::inRange(DatePattern::year(day));
}

QString dayNumber(double day)
{
    return QString::number(qint64(day));
}

} // namespace

PeriodListings::PeriodListings(NotesPanel& notes, Printer& printer, MessageBoxes& boxes)
    : notes_(notes), printer_(printer), boxes_(boxes)
{
}

std::optional<PeriodListings::Period> PeriodListings::monthOf(double day)
{
    if (!isShowableDay(day))
        return std::nullopt;
    Period period;
    period.first = DatePattern::build(DatePattern::year(day), DatePattern::month(day), 1);
    // Counting days until the month changes needs no table of month lengths or leap years,
    // and December runs into the next January like any other month.
    const int month = DatePattern::month(period.first);
    double next = period.first;
    while (DatePattern::month(next) == month)
        next += 1;
    period.last = next - 1;
    period.name = DatePattern::format(period.first, QStringLiteral("mmmm"));
    return period;
}

std::optional<PeriodListings::Period> PeriodListings::yearOf(double day)
{
    if (!isShowableDay(day))
        return std::nullopt;
    const int year = DatePattern::year(day);
    Period period;
    period.first = DatePattern::build(year, 1, 1);
    period.last = DatePattern::build(year, 12, 31);
    period.name = DatePattern::format(period.first, QStringLiteral("yyyy"));
    return period;
}

QString PeriodListings::query(const Period& period)
{
    return QStringLiteral("SELECT fecha,nota from calendar WHERE fecha BETWEEN ") +
           dayNumber(period.first) + QStringLiteral(" AND ") + dayNumber(period.last) +
           QStringLiteral(" AND len(nota)>0 ORDER by fecha");
}

QString PeriodListings::suffix(const Period& period)
{
    return QStringLiteral(" Notas halladas de ") + period.name;
}

void PeriodListings::list(const std::optional<Period>& period, bool print)
{
    if (!store_)
        return;
    if (!period) {
        // The reference day comes from outside this class; a listing of no period would
        // only list nothing under a meaningless caption.
        boxes_.show(QStringLiteral("Fecha erronea"));
        return;
    }
    notes_.MostrarListado(query(*period), suffix(*period));
    const int count = store_->rsLista.recordCount();
    if (print && count > 0)
        ImprimirListado(QString::number(count) + suffix(*period));
}

void PeriodListings::ImprimirListado(const QString& title)
{
    if (store_)
        printer_.ImprimirListado(store_->rsLista, title);
}

void PeriodListings::mPantallaMes_Click(double dFechaActual)
{
    list(monthOf(dFechaActual), false);
}

void PeriodListings::mImpresoraMes_Click(double dFechaActual)
{
    list(monthOf(dFechaActual), true);
}

void PeriodListings::mPantallaAnyo_Click(double dFechaActual)
{
    list(yearOf(dFechaActual), false);
}

void PeriodListings::mImpresoraAnyo_Click(double dFechaActual)
{
    list(yearOf(dFechaActual), true);
}
