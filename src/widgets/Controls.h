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

    static void setTextColor(QWidget* widget, const QColor& color);
    static void setBackground(QWidget* widget, const QColor& color);
};
