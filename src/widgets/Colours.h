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
};
