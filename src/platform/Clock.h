#pragma once

#include <QDateTime>

// The current date and time, asked of the system by the program and set by the tests.
class Clock
{
public:
    virtual ~Clock();
    virtual QDateTime now() const = 0; // local time
};
