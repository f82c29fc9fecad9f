#include "store/EmptyDayPruner.h"

#include "store/TableCursor.h"

namespace {

bool carriesNothing(const TableCursor& day)
{
    const QVariant nota = day.value(QStringLiteral("nota"));
    const QVariant alarma = day.value(QStringLiteral("alarma"));
    const QVariant color = day.value(QStringLiteral("Color"));
    const QVariant festivo = day.value(QStringLiteral("festivo"));
    // A Null in any of the four is not "empty": such a row is kept.
    if (nota.isNull() || alarma.isNull() || color.isNull() || festivo.isNull())
        return false;
    return nota.toString().isEmpty() && alarma.toLongLong() == 0 && color.toLongLong() == 5 &&
           festivo.toLongLong() == 0;
}

} // namespace

int EmptyDayPruner::prune(TableCursor& rsCalendar)
{
    int counter = 0;
    if (!rsCalendar.eof())
        rsCalendar.moveLast();
    while (!rsCalendar.bof() && counter < kWindow) {
        rsCalendar.movePrevious();
        ++counter;
    }
    if (!rsCalendar.eof())
        rsCalendar.moveNext();

    int deleted = 0;
    while (!rsCalendar.eof()) {
        if (carriesNothing(rsCalendar)) {
            rsCalendar.deleteCurrent();
            ++deleted;
        }
        rsCalendar.moveNext();
    }
    return deleted;
}
