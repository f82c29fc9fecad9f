#pragma once

#include <QScrollBar>

// The small vertical arrows beside an alarm time box: the highest number stands at the top and
// the up arrow raises the number, as spinners do (a plain scroll bar lowers it). The arrows are
// drawn within the frame that holds them, clear of its border, wherever the layout puts the
// spinner's edges.
class Spinner : public QScrollBar
{
    Q_OBJECT
public:
    Spinner(int highest, QWidget* parent = nullptr);

    int number() const { return -value(); }
    void setNumber(int number) { setValue(-number); }

protected:
    bool event(QEvent* event) override;
    // Drawn, and pressed, within the contents only.
    void initStyleOption(QStyleOptionSlider* option) const override;

private:
    // The part of the spinner inside its frame's border, as its contents margins.
    void keepInsideFrame();
};
