#include "store/domain/DayColour.h"

std::optional<DayColour> DayColours::fromCode(const QVariant& stored)
{
    if (stored.isNull() || !stored.isValid())
        return std::nullopt;
    bool number = false;
    const double value = stored.toDouble(&number);
    if (!number)
        return std::nullopt;
    for (const DayColour colour : kAll) {
        if (value == code(colour))
            return colour;
    }
    return std::nullopt;
}

QString DayColours::name(DayColour colour)
{
    switch (colour) {
    case DayColour::Azul:
        return QStringLiteral("Azul");
    case DayColour::Gris:
        return QStringLiteral("Gris");
    case DayColour::Negro:
        return QStringLiteral("Negro");
    case DayColour::Verde:
        return QStringLiteral("Verde");
    }
    return {};
}

std::optional<DayColour> DayColours::fromName(const QString& name)
{
    for (const DayColour colour : kAll) {
        if (DayColours::name(colour).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return colour;
    }
    return std::nullopt;
}
