#include "shell/Session.h"

#include "platform/MessageBoxes.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void tell(MessageBoxes& boxes, const QString& message)
{
    std::fprintf(stderr, "tarvelo: %s\n", message.toLocal8Bit().constData());
    // Fatal: keys typed before the box was seen cannot answer it.
    boxes.show(message, MessageBoxes::Critical | MessageBoxes::Fatal);
}

} // namespace

Session::Session(std::unique_ptr<CalendarStore> store, const Seams& seams)
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
      window_(std::make_unique<frmCalendar>(*store_, seams, guard_))
{
}

Session::~Session() = default;

std::unique_ptr<Session> Session::start(const Seams& seams, const QString& folder)
{
    std::unique_ptr<CalendarStore> store;
    try {
        store = CalendarStore::open(folder);
    } catch (const StoreError& error) {
        tell(*seams.boxes, error.message());
        return nullptr;
    }
    std::unique_ptr<Session> session(new Session(std::move(store), seams));
    if (!session->window().Form_Load())
        return nullptr;
    return session;
}
