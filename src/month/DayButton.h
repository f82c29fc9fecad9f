#pragma once

#include <QAbstractButton>
#include <QColor>

// One day of the month grid: a push button that shows a background colour, the day's number
// and its day-mark picture.
class DayButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit DayButton(int index, QWidget* parent = nullptr);

    int index() const { return index_; }
    // Whether the last press came from the mouse (else from the keyboard).
    bool pressedWithMouse() const { return pressedWithMouse_; }

    QColor backColor() const { return backColor_; }
    // The day's number is drawn in the desktop's colour for button texts where that can be read
    // on the button's colour, and darkened or lightened where not (a red Sunday on a dark
    // desktop).
    QColor textColor() const;
    void setBackColor(const QColor& color);
    int picture() const { return picture_; }
    void setPicture(int n);
    qreal fontSize() const { return font().pointSizeF(); }
    bool isBold() const { return font().bold(); }
    void setFontSizeAndWeight(qreal points, bool bold);

    // The platform's button-face colour, which ordinary days take.
    static QColor buttonFace();

    QSize sizeHint() const override;

signals:
    // An arrow key asks for the day this many days away (-1, +1, -7, +7).
    void stepRequested(int days);
    // Page Up and Page Down ask for the same day a month back or forward (-1, +1), and with
    // Ctrl a year.
    void monthStepRequested(int months);
    void yearStepRequested(int years);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int index_;
    QColor backColor_;
    int picture_ = 5;
    bool pressedWithMouse_ = false;
};
