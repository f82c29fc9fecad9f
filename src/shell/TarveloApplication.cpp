#include "shell/TarveloApplication.h"

#include "shell/StoreFailure.h"
#include "store/StoreError.h"

TarveloApplication::TarveloApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tarvelo"));
    setOrganizationName(QStringLiteral("Tarvelo"));
    setQuitOnLastWindowClosed(false); // the main window may be hidden while notitas live
}

bool TarveloApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const StoreError& error) {
        if (!failed_) {
            failed_ = true;
            StoreFailure::report(error);
        }
        return true;
    }
}
