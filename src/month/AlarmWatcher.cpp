#include "month/AlarmWatcher.h"

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Sound.h"
#include "store/domain/DayBook.h"
#include "store/domain/StoreGuard.h"
#include "store/jet/DatePattern.h"

#include <QDir>

#include <vector>

namespace {

QDateTime wholeMinute(const QDateTime& t)
{
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()));
}

} // namespace

AlarmWatcher::AlarmWatcher(DayBook& days, Clock& clock, Sound& sound, MessageBoxes& boxes,
                           const StoreGuard& guard, std::function<QString()> workingDirectory,
                           QObject* parent)
    : QObject(parent), days_(days), clock_(clock), sound_(sound), boxes_(boxes), guard_(guard),
      workingDirectory_(std::move(workingDirectory))
{
    // The minute the program starts in is still to be examined.
    lastExamined_ = wholeMinute(clock_.now()).addSecs(-60);
}

int AlarmWatcher::msToNextTick() const
{
    const QDateTime now = clock_.now();
    const QDateTime next = wholeMinute(now).addSecs(60);
    return int(std::max<qint64>(now.msecsTo(next), 0)) + 500;
}

void AlarmWatcher::Timer1_Timer()
{
    const QDateTime current = wholeMinute(clock_.now());
    if (current < lastExamined_) {
        // The clock was put back: go on from the new time rather than wait for the old one.
        lastExamined_ = current.addSecs(-60);
    }
    std::vector<QDateTime> minutes;
    QDateTime minute = lastExamined_.addSecs(60);
    if (minute.secsTo(current) > qint64(kMaxCatchUpMinutes) * 60)
        minute = current.addSecs(-qint64(kMaxCatchUpMinutes - 1) * 60);
    for (; minute <= current; minute = minute.addSecs(60))
        minutes.push_back(minute);
    // Marked before any message box opens: a tick that runs while a box is up must not
    // examine the same minutes again.
    lastExamined_ = current;
    for (const QDateTime& m : minutes) {
        if (!guard_.run([&] { examine(m); }))
            return;
    }
}

void AlarmWatcher::examine(const QDateTime& minute)
{
    const QString directory = workingDirectory_();
    // Read without moving the search's point: the user's search goes on undisturbed.
    const std::optional<Day> today = days_.find(minute.date());
    // A day whose alarm was switched off keeps its time but never rings.
    if (!today || !today->alarmOn || !today->alarmTime)
        return;
    const QTime at(minute.time().hour(), minute.time().minute());
    if (QTime(today->alarmTime->hour(), today->alarmTime->minute()) != at)
        return;

    if (sound_.outputDeviceCount() < 1) {
        boxes_.show(QStringLiteral("No hay tarjeta de sonido instalada"), MessageBoxes::OkOnly);
        return;
    }
    sound_.stop();
    sound_.playAsync(QDir(directory).filePath(QStringLiteral("alarma.wav")));
    boxes_.show(QStringLiteral("A sonado la ALARMA a las ") + at.toString(QStringLiteral("HH:mm")),
                MessageBoxes::Exclamation, QStringLiteral("¡¡¡Alarma!!!"));
}
