#include "month/Spinner.h"

#include <QEvent>
#include <QFrame>
#include <QStyleOptionSlider>

#include <algorithm>

Spinner::Spinner(int highest, QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    // The scroll bar's own values run from -highest at the top to 0 at the bottom.
    setRange(-highest, 0);
    setSingleStep(1);
    setPageStep(1);
}

bool Spinner::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ParentChange:
    case QEvent::Show:
        keepInsideFrame();
        break;
    default:
        break;
    }
    return QScrollBar::event(event);
}

void Spinner::keepInsideFrame()
{
    const auto* frame = qobject_cast<const QFrame*>(parentWidget());
    if (!frame)
        return;
    const QRect inner = frame->contentsRect().translated(-pos());
    const QRect own = rect();
    setContentsMargins(std::max(0, inner.left() - own.left()), std::max(0, inner.top() - own.top()),
                       std::max(0, own.right() - inner.right()),
                       std::max(0, own.bottom() - inner.bottom()));
}

void Spinner::initStyleOption(QStyleOptionSlider* option) const
{
    QScrollBar::initStyleOption(option);
    option->rect = contentsRect();
}
