#include "store/domain/SelectionCriteria.h"

QString SelectionCriteria::holidayTitle() const
{
    if (holidaysOnly())
        return QStringLiteral(", FESTIVOS");
    if (workdaysOnly())
        return QStringLiteral(", LABORABLES");
    return {};
}

QString SelectionCriteria::colourTitle() const
{
    if (!colour)
        return {};
    switch (*colour) {
    case DayColour::Azul:
        return QStringLiteral(", AZULES");
    case DayColour::Gris:
        return QStringLiteral(", GRISES");
    case DayColour::Negro:
        return QStringLiteral(", NEGROS");
    case DayColour::Verde:
        return QStringLiteral(", VERDES");
    }
    return {};
}

QString SelectionCriteria::wordTitle() const
{
    if (word.isEmpty())
        return {};
    return QStringLiteral(" y con \"") + word.toUpper() + QLatin1Char('"');
}

QString SelectionCriteria::title(int count, const QString& desdeText,
                                 const QString& hastaText) const
{
    return QString::number(count) + QStringLiteral(" Hallados entre ") + desdeText +
           QStringLiteral(" y ") + hastaText + holidayTitle() + colourTitle() + wordTitle();
}
