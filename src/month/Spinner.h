#pragma once

#include <QScrollBar>

// The small vertical arrows beside an alarm time box: the highest number stands at the top and
// the up arrow raises the number, as spinners do (a plain scroll bar lowers it).
class Spinner : public QScrollBar
{
    Q_OBJECT
public:
    Spinner(int highest, QWidget* parent = nullptr);

    int number() const { return -value(); }
    void setNumber(int number) { setValue(-number); }
};
