#include "month/MonthPanel.h"

#include <QMouseEvent>

MonthPanel::MonthPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("SSPanel1"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
}

void MonthPanel::mousePressEvent(QMouseEvent* event)
{
    pressedOnFreeArea_ =
        event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr;
    QFrame::mousePressEvent(event);
}

void MonthPanel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressedOnFreeArea_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint()) &&
                       childAt(event->position().toPoint()) == nullptr;
    pressedOnFreeArea_ = false;
    QFrame::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
