#pragma once

#include <QApplication>
#include <QByteArray>

#include <optional>

class QTranslator;

// The application object: the program's name, Qt's own texts in Spanish whatever the
// machine's language, and a life that goes on while the main window is hidden and only
// notitas are shown.
class TarveloApplication : public QApplication
{
    Q_OBJECT
public:
    // Begins looking up the fonts, on a thread of their own (FontCatalogue).
    TarveloApplication(int& argc, char** argv);
    // Waits for that looking up: it needs the application.
    ~TarveloApplication() override;

    // Loads Qt's Spanish translations into app; false when they are not installed (Qt's own
    // texts then stay in English, and the program works all the same).
    static bool installSpanish(QCoreApplication& app);

    // The windowing platform to run on, before the application is made: in a Wayland session
    // with XWayland at hand (DISPLAY set), X11 ("xcb"), for Wayland neither tells a program
    // where its windows are nor lets it put them back, and the notitas keep their places. A
    // platform the user chose (QT_QPA_PLATFORM) stays; nullopt: Qt's own choice.
    static std::optional<QByteArray> platformFor(const QByteArray& chosen,
                                                 const QByteArray& sessionType,
                                                 const QByteArray& waylandDisplay,
                                                 const QByteArray& display);
    // Sets QT_QPA_PLATFORM from platformFor() and the environment.
    static void choosePlatform();
};
