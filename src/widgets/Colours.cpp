#include "widgets/Colours.h"

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
