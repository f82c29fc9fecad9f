#pragma once

#include <QColor>

// The colours the layouts give their controls, in one table: the day colours as their captions
// are drawn, the red of holidays and Sundays, and the cyan of the title band and the open day.
class Colours
{
public:
    Colours() = delete;

    static QColor azul();
    static QColor negro();
    static QColor gris();
    static QColor verde();
    // Holidays, Sundays and the "Festivo" captions.
    static QColor festivo();
    // The title band, the open day's date and the note found.
    static QColor cian();
    // The text of the Sunday heading, on its red.
    static QColor grisOscuro();
    // What other programs' repeating events on the calendar server show beside the days.
    static QColor delCalendario();

    // The least contrast a text keeps with what it is drawn on, light desktop or dark: the
    // ratio asked of ordinary text by the accessibility guidelines (WCAG 2).
    static constexpr double kLeastContrast = 4.5;
    // The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
    static double contrast(const QColor& a, const QColor& b);
    // colour itself where it stands out enough from background; otherwise the colour of its
    // hue, darkened or lightened as little as will do, that does: the layouts' colours stay
    // wherever they can be read, and change only where a desktop's colours would hide them.
    static QColor readableOn(const QColor& colour, const QColor& background);
};
