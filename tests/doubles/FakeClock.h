#pragma once

#include "platform/Clock.h"

// A clock that stands still until the test sets or advances it.
class FakeClock : public Clock
{
public:
    explicit FakeClock(const QDateTime& now = QDateTime(QDate(1997, 3, 5), QTime(9, 7))) : now_(now)
    {
    }
    QDateTime now() const override { return now_; }
    void set(const QDateTime& now) { now_ = now; }
    void advanceMs(qint64 ms) { now_ = now_.addMSecs(ms); }

private:
    QDateTime now_;
};
