#include "widgets/DeferredIcon.h"

#include <QPainter>

DeferredIcon::DeferredIcon(std::function<QIcon()> make) : make_(std::move(make)) {}

const QIcon& DeferredIcon::made()
{
    if (!icon_)
        icon_ = make_();
    return *icon_;
}

void DeferredIcon::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    made().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QPixmap DeferredIcon::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return made().pixmap(size, mode, state);
}

QSize DeferredIcon::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return made().actualSize(size, mode, state);
}

QList<QSize> DeferredIcon::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return made().availableSizes(mode, state);
}

QString DeferredIcon::key() const
{
    return QStringLiteral("DeferredIcon");
}

QIconEngine* DeferredIcon::clone() const
{
    auto* copy = new DeferredIcon(make_);
    copy->icon_ = icon_;
    return copy;
}
