#include "widgets/Colours.h"

#include <cmath>
#include <optional>

namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour)
{
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}

// The colour as drawn: eight bits a channel.
QColor drawn(const QColor& colour)
{
    return QColor(colour.red(), colour.green(), colour.blue());
}

QColor withLightness(const QColor& colour, float lightness)
{
    return drawn(QColor::fromHslF(colour.hslHueF(), colour.hslSaturationF(), lightness));
}

// The colour of colour's hue nearest to it on the way to lightness `towards` (0 or 1) that
// stands out from background; none when not even the end does.
std::optional<QColor> readableTowards(const QColor& colour, const QColor& background, float towards)
{
    if (Colours::contrast(withLightness(colour, towards), background) < Colours::kLeastContrast)
        return std::nullopt;
    float far = towards;
    float near = colour.lightnessF();
    for (int step = 0; step < 24; ++step) {
        const float middle = (far + near) / 2;
        if (Colours::contrast(withLightness(colour, middle), background) >= Colours::kLeastContrast)
            far = middle;
        else
            near = middle;
    }
    return withLightness(colour, far);
}

} // namespace

double Colours::contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Colours::readableOn(const QColor& colour, const QColor& background)
{
    const QColor wanted = drawn(colour);
    if (contrast(wanted, background) >= kLeastContrast)
        return wanted;
    const std::optional<QColor> darker = readableTowards(wanted, background, 0.0f);
    const std::optional<QColor> lighter = readableTowards(wanted, background, 1.0f);
    if (darker && lighter) {
        const float lightness = wanted.lightnessF();
        return lightness - darker->lightnessF() <= lighter->lightnessF() - lightness ? *darker
                                                                                     : *lighter;
    }
    if (darker)
        return *darker;
    if (lighter)
        return *lighter;
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    return contrast(black, background) >= contrast(white, background) ? black : white;
}

QColor Colours::azul()
{
    return QColor(0, 0, 255);
}

QColor Colours::negro()
{
    return QColor(0, 0, 0);
}

QColor Colours::gris()
{
    return QColor(128, 128, 128);
}

QColor Colours::verde()
{
    return QColor(0, 192, 0);
}

QColor Colours::festivo()
{
    return QColor(255, 0, 0);
}

QColor Colours::cian()
{
    return QColor(0, 255, 255);
}

QColor Colours::grisOscuro()
{
    return QColor(64, 64, 64);
}

QColor Colours::delCalendario()
{
    return QColor(0, 0, 128); // navy: apart from the notes' black, readable on the grid's cyan
}
