#include "platform/QtFileDialogs.h"
#include "platform/QtHelpViewer.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtPrinter.h"
#include "platform/QtSound.h"
#include "platform/SystemClock.h"
#include "shell/Session.h"
#include "shell/SingleInstance.h"
#include "shell/TarveloApplication.h"
#include "shell/TerminationSignals.h"
#include "shell/frmCalendar.h"
#include "widgets/WindowPlace.h"

#include <QCoreApplication>
#include <QDir>
#include <QSessionManager>

int main(int argc, char** argv)
{
    TarveloApplication::choosePlatform();
    // One copy per data folder: a second start hands over to the first and ends at once,
    // without touching the store. The lock is taken while the application starts.
    SingleInstance instance(QDir::currentPath());
    instance.claimAside();
    TarveloApplication app(argc, argv);
    QtMessageBoxes boxes;
    SystemClock clock;
    QtSound sound;
    QtHelpViewer help(boxes);
    QtPrinter printer(boxes);
    QtFileDialogs files;
    Seams seams;
    seams.boxes = &boxes;
    seams.clock = &clock;
    seams.sound = &sound;
    seams.help = &help;
    seams.printer = &printer;
    seams.files = &files;

    // Logout, shutdown and Ctrl+C end the program as "Salir" does, so that a note being typed
    // into the notes list is written and the store is closed cleanly. Listened to from the
    // start: a signal that comes while a start-up message is up ends the program too, and the
    // folder's lock goes with it.
    TerminationSignals termination;
    frmCalendar* running = nullptr;
    bool terminated = false;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, [&] {
        terminated = true;
        if (running)
            running->Form_Unload();
        else
            QCoreApplication::exit(0); // ends the message's own loop
    });

    switch (instance.claimOrHandOver()) {
    case SingleInstance::Start::First:
        break;
    case SingleInstance::Start::HandedOver:
        return 0;
    case SingleInstance::Start::Unreachable:
        boxes.show(QStringLiteral("Tarvelo ya está abierto en esta carpeta:\n%1")
                       .arg(QDir::toNativeSeparators(QDir::currentPath())),
                   MessageBoxes::Information);
        return 0;
    }

    // The store is the calendar.mdb of the working directory, never one beside the program.
    const std::unique_ptr<Session> session = Session::start(seams, QDir::currentPath());
    if (!session)
        return Session::kStoreFailureExit;
    frmCalendar& window = session->window();
    running = &window;
    if (terminated)
        return 0; // asked to end while it started: nothing was typed yet
    help.setPlacement([](QWidget& helpWindow, const QRect& beside) {
        WindowPlace::moveBeside(helpWindow, beside);
    });
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     &frmCalendar::bringForward);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.Form_Unload(); });
    return app.exec();
}
