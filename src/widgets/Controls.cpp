#include "widgets/Controls.h"

#include "widgets/Colours.h"

#include <QPalette>

void Controls::setTextColor(QWidget* widget, const QColor& color)
{
    const QColor readable = Colours::readableOn(color, backgroundOf(*widget));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, readable);
    palette.setColor(QPalette::ButtonText, readable);
    widget->setPalette(palette);
}

void Controls::setBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(role, Colours::readableOn(palette.color(role), color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void Controls::setBase(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Text, Colours::readableOn(palette.color(QPalette::Text), color));
    widget->setPalette(palette);
}

QColor Controls::backgroundOf(const QWidget& widget)
{
    for (const QWidget* w = &widget; w; w = w->parentWidget()) {
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(w->backgroundRole());
    }
    return widget.palette().color(QPalette::Window);
}
