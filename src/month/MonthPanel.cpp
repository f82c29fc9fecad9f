#include "month/MonthPanel.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

MonthPanel::MonthPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("SSPanel1"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    // Opaque: the title band above, which it overlaps a little, must not show through.
    setAutoFillBackground(true);
}

bool MonthPanel::event(QEvent* event)
{
    // The panel's tip is about its free area; a day button or a header under the mouse has
    // none of its own to inherit.
    if (event->type() == QEvent::ToolTip &&
        childAt(static_cast<QHelpEvent*>(event)->pos()) != nullptr) {
        QToolTip::hideText();
        return true;
    }
    return QFrame::event(event);
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
