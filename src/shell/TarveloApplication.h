#pragma once

#include <QApplication>

class QTranslator;

// The application object: the program's name, Qt's own texts in Spanish whatever the
// machine's language, and a life that goes on while the main window is hidden and only
// notitas are shown.
class TarveloApplication : public QApplication
{
    Q_OBJECT
public:
    TarveloApplication(int& argc, char** argv);

    // Loads Qt's Spanish translations into app; false when they are not installed (Qt's own
    // texts then stay in English, and the program works all the same).
    static bool installSpanish(QCoreApplication& app);
};
