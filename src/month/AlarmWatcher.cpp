#include "month/AlarmWatcher.h"

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Sound.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QDir>

#include <vector>

namespace {

QDateTime wholeMinute(const QDateTime& t)
{
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()));
}

} // namespace

AlarmWatcher::AlarmWatcher(Clock& clock, Sound& sound, MessageBoxes& boxes,
                           std::function<QString()> workingDirectory, QObject* parent)
    : QObject(parent), clock_(clock), sound_(sound), boxes_(boxes),
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
    if (!store_)
        return;
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
    for (const QDateTime& m : minutes)
        examine(m);
}

void AlarmWatcher::examine(const QDateTime& minute)
{
    const QString directory = workingDirectory_();
    TableCursor& rsCalendar = store_->rsCalendar;
    rsCalendar.seek(DatePattern::fromDate(minute.date()));
    if (rsCalendar.noMatch())
        return;
    // A day whose alarm was switched off keeps its time but never rings.
    if (rsCalendar.value(QStringLiteral("alarma")).toLongLong() == 0)
        return;
    const QVariant hora = rsCalendar.value(QStringLiteral("hora"));
    if (hora.isNull())
        return;
    const QString at =
        DatePattern::format(DatePattern::fromDateTime(minute), QStringLiteral("hh:nn"));
    if (DatePattern::format(hora.toDouble(), QStringLiteral("hh:nn")) != at)
        return;

    if (sound_.outputDeviceCount() < 1) {
        boxes_.show(QStringLiteral("No hay tarjeta de sonido instalada"), MessageBoxes::OkOnly);
        return;
    }
    sound_.stop();
    sound_.playAsync(QDir(directory).filePath(QStringLiteral("alarma.wav")));
    boxes_.show(QStringLiteral("A sonado la ALARMA a las ") + at, MessageBoxes::Exclamation,
                QStringLiteral("¡¡¡Alarma!!!"));
}
