#include "shell/TarveloApplication.h"

TarveloApplication::TarveloApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tarvelo"));
    setOrganizationName(QStringLiteral("Tarvelo"));
    setQuitOnLastWindowClosed(false); // the main window may be hidden while notitas live
}
