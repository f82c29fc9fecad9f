#include "platform/KeyGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyGuard::KeyGuard(QWidget* window, int milliseconds) : window_(window), milliseconds_(milliseconds)
{
    // On the application, so that the keys reach the guard whichever of the window's widgets
    // has the focus, before any of them (or a shortcut) can act on them.
    qApp->installEventFilter(this);
    if (window_->isVisible())
        shown_.start();
}

KeyGuard::~KeyGuard()
{
    qApp->removeEventFilter(this);
}

bool KeyGuard::guards(QObject* watched) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && (widget == window_ || window_->isAncestorOf(widget));
}

bool KeyGuard::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // The moment counts from the first paint, when the user can see the window (long after
    // it was shown, on a slow display); from the showing only where nothing is ever painted.
    if (watched == window_ &&
        ((type == QEvent::Show && !shown_.isValid()) || (type == QEvent::Paint && !painted_))) {
        painted_ = type == QEvent::Paint;
        shown_.start();
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    if (!guards(watched))
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    const bool standing = !shown_.isValid() || shown_.elapsed() < milliseconds_;
    bool ignored = standing;
    if (type == QEvent::KeyRelease && !key->isAutoRepeat()) {
        // Let go: its next press is a new one.
        ignored = held_.remove(key->key()) || standing;
    } else if (standing) {
        if (type == QEvent::KeyPress)
            held_.insert(key->key());
    } else {
        ignored = held_.contains(key->key());
    }
    if (!ignored)
        return false;
    // Taken as handled, so that no shortcut of the window acts on it either.
    event->accept();
    return true;
}
