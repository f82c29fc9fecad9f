#pragma once

#include <QIconEngine>

#include <functional>
#include <optional>

// An icon made only when it is first drawn or measured. The menu bar's overflow button asks the
// style for its arrow when the bar is made, and reading that image probes Qt's image plugins;
// the button shows only on a bar too narrow for its menus, so most windows never need it.
class DeferredIcon : public QIconEngine
{
public:
    explicit DeferredIcon(std::function<QIcon()> make);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString key() const override;
    QIconEngine* clone() const override;

private:
    const QIcon& made();

    std::function<QIcon()> make_;
    std::optional<QIcon> icon_;
};
