#include "shell/TarveloApplication.h"

#include "widgets/MnemonicStyle.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TarveloApplication::TarveloApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tarvelo"));
    setOrganizationName(QStringLiteral("Tarvelo"));
    setQuitOnLastWindowClosed(false); // the main window may be hidden while notitas live
    setStyle(new MnemonicStyle);
    installSpanish(*this);
}

bool TarveloApplication::installSpanish(QCoreApplication& app)
{
    // The program speaks Spanish: the file dialogs, the text boxes' menus and the standard
    // buttons must too, whatever language the machine is set to.
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    QLocale::setDefault(spanish);
    auto* translator = new QTranslator(&app);
    if (!translator->load(spanish, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
