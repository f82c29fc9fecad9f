#include "platform/QtMessageBoxes.h"
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
    StoreFailure::setMessageBoxes(&boxes);

    // The store is the calendar.mdb of the working directory, never one beside the program.
    frmCalendar window(boxes, clock, QDir::currentPath());
    if (!window.Form_Load())
        return StoreFailure::kExitCode;
    window.show();
    return app.exec();
}
