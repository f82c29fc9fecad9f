#include "shell/TarveloApplication.h"

#include "platform/FontCatalogue.h"
#include "widgets/MnemonicStyle.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TarveloApplication::TarveloApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The fonts are looked up from the moment the display is reached: nothing before the main
    // window's layout needs them.
    FontCatalogue::readAside();
    setApplicationName(QStringLiteral("Tarvelo"));
    setOrganizationName(QStringLiteral("Tarvelo"));
    setQuitOnLastWindowClosed(false); // the main window may be hidden while notitas live
    setStyle(new MnemonicStyle);
    installSpanish(*this);
}

TarveloApplication::~TarveloApplication()
{
    FontCatalogue::awaitRead();
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

std::optional<QByteArray> TarveloApplication::platformFor(const QByteArray& chosen,
                                                          const QByteArray& sessionType,
                                                          const QByteArray& waylandDisplay,
                                                          const QByteArray& display)
{
    if (!chosen.isEmpty())
        return std::nullopt;
    const bool wayland = !waylandDisplay.isEmpty() || sessionType.toLower() == "wayland";
    if (wayland && !display.isEmpty())
        return QByteArray("xcb");
    return std::nullopt;
}

void TarveloApplication::choosePlatform()
{
    const std::optional<QByteArray> platform =
        platformFor(qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"),
                    qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    if (platform)
        qputenv("QT_QPA_PLATFORM", *platform);
}
