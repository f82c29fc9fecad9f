#pragma once

#include "widgets/Twips.h"

#include <QColor>
#include <QString>
#include <QWidget>

// The few steps every window of the program takes with each control it lays out: its name, its
// place in twips, and the colours a control of the layouts may carry.
class Controls
{
public:
    Controls() = delete;

    template <typename W>
    static W* place(W* widget, const char* name, int left, int top, int width, int height)
    {
        widget->setObjectName(QString::fromUtf8(name));
        widget->setGeometry(Twips::rect(left, top, width, height));
        return widget;
    }

    // The text's colour, as close to color as the widget's background lets it be read
    // (Colours::readableOn): a desktop with dark colours does not hide it.
    static void setTextColor(QWidget* widget, const QColor& color);
    // The background's colour; the text on it keeps its colour where it can be read on it, and
    // is darkened or lightened where not.
    static void setBackground(QWidget* widget, const QColor& color);
    // The same for the area a text box or a list draws its text on.
    static void setBase(QWidget* widget, const QColor& color);
    // What the widget's text is drawn on: the background of the nearest of it and its parents
    // that fills its own, or of its window.
    static QColor backgroundOf(const QWidget& widget);
};
