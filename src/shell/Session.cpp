#include "shell/Session.h"

#include "platform/MessageBoxes.h"
#include "shell/OldCalendarOffer.h"
#include "shell/SyncSchedule.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "sync/SyncRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>

#include <cstdio>

namespace {

void tell(MessageBoxes& boxes, const QString& message)
{
    std::fprintf(stderr, "tarvelo: %s\n", message.toLocal8Bit().constData());
    // Fatal: keys typed before the box was seen cannot answer it.
    boxes.show(message, MessageBoxes::Critical | MessageBoxes::Fatal);
}

} // namespace

Session::Session(std::unique_ptr<CalendarStore> store, const Seams& seams, const QString& folder)
    : store_(std::move(store)),
      guard_(
          [boxes = seams.boxes](const StoreError& error, const QString& unsaved) {
              QString message = error.message();
              if (!unsaved.isEmpty())
                  message += QStringLiteral("\n\nNo se ha podido guardar %1.").arg(unsaved);
              message +=
                  QStringLiteral("\n\nTarvelo se cerrará. Lo guardado antes sigue guardado.");
              tell(*boxes, message);
              QCoreApplication::exit(kStoreFailureExit);
          },
          store_->database(),
          [this](const std::optional<QString>& holder, const QString& unsaved, bool kept) {
              if (window_)
                  window_->storeBusy(holder, unsaved, kept);
          }),
      runner_(std::make_unique<SyncRunner>(folder)),
      window_(std::make_unique<frmCalendar>(*store_, seams, guard_))
{
    window_->setSyncSchedule(
        new SyncSchedule(*store_, guard_, *runner_, *seams.clock, *seams.boxes, window_.get()));
}

Session::~Session() = default;

std::unique_ptr<Session> Session::start(const Seams& seams, const QString& folder)
{
    if (!OldCalendarOffer::run(*seams.boxes, folder))
        return nullptr;
    // The windows are built while the store opens; none of them is shown before it has.
    std::unique_ptr<Session> session(
        new Session(CalendarStore::beginOpen(folder), seams,
                    QFileInfo(CalendarStore::pathIn(folder)).absolutePath()));
    try {
        session->store_->opened();
    } catch (const StoreError& error) {
        // What was built on the store goes before the user is told: nothing of it may run in
        // the message's own loop (a look for other programs' writes when the box takes the
        // focus would read a store that never opened).
        session.reset();
        tell(*seams.boxes, error.message());
        return nullptr;
    }
    if (!session->window().Form_Load())
        return nullptr;
    session->tidyUpOnceRead();
    return session;
}

void Session::tidyUpOnceRead()
{
    // The whole file is read once the windows are up and drawn, on a thread of its own: the
    // first write waits for that reading, and the windows need not. Begun at once, a large
    // file's reading took a processor from the display server while it drew the first frames.
    // The empty days go once it is done.
    QTimer::singleShot(kWholeFileAfterMs, &tidyUp_, [this] {
        store_->database().readWholeFileAside([this] {
            QMetaObject::invokeMethod(
                &tidyUp_,
                [this] {
                    guard_.run([this] {
                        store_->database().awaitWholeFile();
                        store_->days().pruneEmpty();
                    });
                },
                Qt::QueuedConnection);
        });
    });
}
