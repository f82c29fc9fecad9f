#include "month/DayButton.h"

#include "month/DayMarkPictures.h"
#include "platform/Fonts.h"
#include "widgets/Colours.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>

DayButton::DayButton(int index, QWidget* parent) : QAbstractButton(parent), index_(index)
{
    setObjectName(QStringLiteral("SScmdDia_%1").arg(index));
    setFont(Fonts::sansSerif(8.25, false));
    setFocusPolicy(Qt::StrongFocus);
}

QColor DayButton::buttonFace()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void DayButton::setBackColor(const QColor& color)
{
    if (backColor_ == color)
        return;
    backColor_ = color;
    update();
}

QColor DayButton::textColor() const
{
    return Colours::readableOn(palette().color(QPalette::ButtonText),
                               backColor_.isValid() ? backColor_ : buttonFace());
}

void DayButton::setPicture(int n)
{
    if (picture_ == n)
        return;
    picture_ = n;
    update();
}

void DayButton::setFontSizeAndWeight(qreal points, bool bold)
{
    QFont f = font();
    f.setPointSizeF(points);
    f.setBold(bold);
    setFont(f);
}

void DayButton::mousePressEvent(QMouseEvent* event)
{
    pressedWithMouse_ = true;
    QAbstractButton::mousePressEvent(event);
}

void DayButton::keyPressEvent(QKeyEvent* event)
{
    pressedWithMouse_ = false;
    switch (event->key()) {
    case Qt::Key_Left:
        emit stepRequested(-1);
        return;
    case Qt::Key_Right:
        emit stepRequested(1);
        return;
    case Qt::Key_Up:
        emit stepRequested(-7);
        return;
    case Qt::Key_Down:
        emit stepRequested(7);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // A month at a time, a year with Ctrl, as in other calendars.
        const int by = event->key() == Qt::Key_PageUp ? -1 : 1;
        if (event->modifiers() & Qt::ControlModifier)
            emit yearStepRequested(by);
        else
            emit monthStepRequested(by);
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter opens the day as space does.
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            animateClick();
            return;
        }
        break;
    default:
        break;
    }
    QAbstractButton::keyPressEvent(event);
}

QSize DayButton::sizeHint() const
{
    return QSize(33, 29);
}

void DayButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    const bool sunken = isDown();
    painter.fillRect(r, backColor_.isValid() ? backColor_ : buttonFace());

    // A raised bevel, pressed in while the button is down.
    const QColor light = sunken ? QColor(64, 64, 64) : QColor(255, 255, 255);
    const QColor dark = sunken ? QColor(255, 255, 255) : QColor(64, 64, 64);
    painter.setPen(light);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(dark);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());

    const int shift = sunken ? 1 : 0;
    const QPixmap mark = DayMarkPictures::pixmap(picture_, devicePixelRatioF());
    const int markTop = r.height() - DayMarkPictures::kHeight - 3 + shift;
    const QRect textRect(r.left() + shift, r.top() + 1 + shift, r.width(), markTop - 1);
    painter.setPen(textColor());
    painter.setFont(font());
    painter.drawText(textRect, Qt::AlignCenter, text());
    painter.drawPixmap((r.width() - DayMarkPictures::kWidth) / 2 + shift, markTop, mark);

    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(r.adjusted(2, 2, -3, -3));
    }
}
