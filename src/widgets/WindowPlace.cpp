#include "widgets/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// The gap left between the calendar and a window, and between two windows.
constexpr int kGap = 8;
// What a frame and caption add to a window, in pixels, as long as the window manager has not
// told yet: room enough that a window placed on a screen shows whole there.
constexpr QSize kFrameAllowance(16, 40);

bool isFree(const QRect& place, const QRect& screen, const QRect& calendar,
            const QList<QRect>& taken)
{
    if (!screen.contains(place) || place.intersects(calendar))
        return false;
    for (const QRect& other : taken) {
        if (place.intersects(other.adjusted(-kGap / 2, -kGap / 2, kGap / 2, kGap / 2)))
            return false;
    }
    return true;
}

} // namespace

QPoint WindowPlace::freeBeside(const QRect& calendar, const QSize& size, const QRect& screen,
                               const QList<QRect>& taken)
{
    const int stepX = size.width() + kGap;
    const int stepY = size.height() + kGap;
    const auto fitsDown = [&](int y) { return y + size.height() <= screen.bottom() + 1; };
    const auto fitsAcross = [&](int x) { return x + size.width() <= screen.right() + 1; };
    // The places clear of the calendar, in the order they are offered: beside it (to its right,
    // then to its left, nearest first; rows from its top down, then from the screen's top down
    // to it), then below it, then above it (nearest first), each row left to right.
    QList<int> rows;
    for (int y = std::max(calendar.top(), screen.top()); fitsDown(y); y += stepY)
        rows << y;
    for (int y = screen.top(); y < calendar.top() && fitsDown(y); y += stepY)
        rows << y;
    QList<int> columns;
    for (int x = calendar.right() + 1 + kGap; fitsAcross(x); x += stepX)
        columns << x;
    for (int x = calendar.left() - kGap - size.width(); x >= screen.left(); x -= stepX)
        columns << x;
    QList<QPoint> places;
    for (const int x : columns) {
        for (const int y : rows)
            places << QPoint(x, y);
    }
    QList<int> across;
    for (int x = screen.left(); fitsAcross(x); x += stepX)
        across << x;
    for (int y = std::max(calendar.bottom() + 1 + kGap, screen.top()); fitsDown(y); y += stepY) {
        for (const int x : across)
            places << QPoint(x, y);
    }
    for (int y = calendar.top() - kGap - size.height(); y >= screen.top(); y -= stepY) {
        for (const int x : across)
            places << QPoint(x, y);
    }

    for (const QPoint& place : places) {
        if (isFree(QRect(place, size), screen, calendar, taken))
            return place;
    }
    // Every place is taken: the first of them all the same, clear of the calendar.
    if (!places.isEmpty())
        return places.first();
    // The calendar leaves no room on its screen: on the screen all the same, where the user can
    // see the window and take hold of it.
    const int x = std::min(calendar.right() + 1 + kGap, screen.right() + 1 - size.width());
    return QPoint(std::max(screen.left(), x), screen.top());
}

QRect WindowPlace::screenOf(const QRect& area)
{
    const QScreen* best = nullptr;
    qint64 bestShare = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shared = screen->geometry().intersected(area);
        const qint64 share = qint64(shared.width()) * shared.height();
        if (share > bestShare) {
            best = screen;
            bestShare = share;
        }
    }
    if (!best)
        best = QGuiApplication::primaryScreen();
    return best ? best->availableGeometry() : QRect(0, 0, 1024, 768);
}

QSize WindowPlace::outerSize(const QWidget& window)
{
    const QSize outer = window.frameGeometry().size();
    return outer == window.size() ? outer + kFrameAllowance : outer;
}

void WindowPlace::moveBeside(QWidget& window, const QRect& calendar,
                             const QList<const QWidget*>& taken)
{
    QList<QRect> others;
    for (const QWidget* other : taken) {
        if (other && other != &window && other->isVisible())
            others << other->frameGeometry();
    }
    window.move(freeBeside(calendar, outerSize(window), screenOf(calendar), others));
}
