#include "platform/QtHelpViewer.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtPrinter.h"
#include "platform/QtSound.h"
#include "platform/SystemClock.h"
#include "shell/Session.h"
#include "shell/SingleInstance.h"
#include "shell/TarveloApplication.h"
#include "shell/frmCalendar.h"

#include <QDir>

int main(int argc, char** argv)
{
    TarveloApplication app(argc, argv);
    QtMessageBoxes boxes;
    SystemClock clock;
    QtSound sound;
    QtHelpViewer help(boxes);
    QtPrinter printer(boxes);
    Seams seams;
    seams.boxes = &boxes;
    seams.clock = &clock;
    seams.sound = &sound;
    seams.help = &help;
    seams.printer = &printer;

    // One copy per data folder: a second start hands over to the first and ends at once,
    // without touching the store.
    SingleInstance instance(QDir::currentPath());
    if (!instance.claim()) {
        if (!instance.activateRunning()) {
            boxes.show(QStringLiteral("Tarvelo ya está abierto en esta carpeta:\n%1")
                           .arg(QDir::toNativeSeparators(QDir::currentPath())),
                       MessageBoxes::Information);
        }
        return 0;
    }

    // The store is the calendar.mdb of the working directory, never one beside the program.
    const std::unique_ptr<Session> session = Session::start(seams, QDir::currentPath());
    if (!session)
        return Session::kStoreFailureExit;
    QObject::connect(&instance, &SingleInstance::activationRequested, &session->window(),
                     &frmCalendar::bringForward);
    session->window().show();
    return app.exec();
}
