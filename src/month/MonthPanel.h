#pragma once

#include <QFrame>

// The frame that holds the weekday headers and the day buttons; a click on its free area
// (not on a header or a shown button) is a command of its own.
class MonthPanel : public QFrame
{
    Q_OBJECT
public:
    explicit MonthPanel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressedOnFreeArea_ = false;
};
