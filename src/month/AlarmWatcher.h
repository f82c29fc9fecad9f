#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

class Clock;
class DayBook;
class MessageBoxes;
class Sound;
class StoreGuard;

// The alarm: about once a minute it looks at today's day, and when the day's alarm is on and
// its time is a minute not yet examined, it plays alarma.wav and shows the alarm message.
class AlarmWatcher : public QObject
{
    Q_OBJECT
public:
    // The longest gap that is caught up after the machine slept or the clock jumped.
    static constexpr int kMaxCatchUpMinutes = 24 * 60;

    // workingDirectory is asked at every tick: alarma.wav is looked for where the process is.
    AlarmWatcher(DayBook& days, Clock& clock, Sound& sound, MessageBoxes& boxes,
                 const StoreGuard& guard, std::function<QString()> workingDirectory,
                 QObject* parent = nullptr);

    // Examines every minute after the last one examined, up to the current one, each once.
    void Timer1_Timer();

    // Milliseconds from now to just after the start of the next minute, for the next tick.
    int msToNextTick() const;

private:
    void examine(const QDateTime& minute);

    DayBook& days_;
    Clock& clock_;
    Sound& sound_;
    MessageBoxes& boxes_;
    const StoreGuard& guard_;
    std::function<QString()> workingDirectory_;
    QDateTime lastExamined_; // a whole minute
};
