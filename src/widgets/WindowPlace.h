#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window of the program opens on the desktop: beside the calendar, never over it, whole
// on the calendar's screen, and clear of the program's other windows while there is room.
class WindowPlace
{
public:
    WindowPlace() = delete;

    // Where a window of outer size `size` goes: the first free place beside `calendar` (to
    // its right, then to its left, then below it, then above it) inside `screen`, clear of
    // `taken`; the first of those places when every one is taken; and when the calendar leaves
    // no room at all, a place on the screen all the same.
    static QPoint freeBeside(const QRect& calendar, const QSize& size, const QRect& screen,
                             const QList<QRect>& taken);

    // The part of the desktop that windows may take on the screen that shows most of `area`
    // (the primary screen when none does).
    static QRect screenOf(const QRect& area);

    // The window's size with its frame and caption; before the window manager has told them,
    // with room enough for them.
    static QSize outerSize(const QWidget& window);

    // Moves the top-level `window` to its free place beside `calendar` (frame included), clear
    // of the windows in `taken`.
    static void moveBeside(QWidget& window, const QRect& calendar,
                           const QList<const QWidget*>& taken = {});
};
