#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <optional>

// The four colours a day can be marked with. Each value is the code the store keeps for it,
// which is also the first of the colour's four day-mark pictures.
enum class DayColour : int
{
    Azul = 1,
    Gris = 5, // the neutral colour every day has until it is given another
    Negro = 9,
    Verde = 13,
};

// The colours' stored codes and Spanish names, in one place.
class DayColours
{
public:
    DayColours() = delete;

    static constexpr std::array<DayColour, 4> kAll{DayColour::Azul, DayColour::Gris,
                                                   DayColour::Negro, DayColour::Verde};
    static constexpr DayColour kNeutral = DayColour::Gris;

    static int code(DayColour colour) { return static_cast<int>(colour); }
    // None for a code the program never writes, or a Null.
    static std::optional<DayColour> fromCode(const QVariant& stored);
    static QString name(DayColour colour); // "Azul", "Gris", "Negro", "Verde"
    static std::optional<DayColour> fromName(const QString& name);
};
