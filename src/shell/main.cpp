#include "platform/QtMessageBoxes.h"
#include "platform/QtSound.h"
#include "platform/SystemClock.h"
#include "shell/StoreFailure.h"
#include "shell/TarveloApplication.h"
#include "shell/frmCalendar.h"

#include <QDir>

int main(int argc, char** argv)
{
    TarveloApplication app(argc, argv);
    QtMessageBoxes boxes;
    SystemClock clock;
    QtSound sound;
    StoreFailure::setMessageBoxes(&boxes);
    Seams seams;
    seams.boxes = &boxes;
    seams.clock = &clock;
    seams.sound = &sound;

    // The store is the calendar.mdb of the working directory, never one beside the program.
    frmCalendar window(seams, QDir::currentPath());
    if (!window.Form_Load())
        return StoreFailure::kExitCode;
    window.show();
    return app.exec();
}
