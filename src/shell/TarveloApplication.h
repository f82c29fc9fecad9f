#pragma once

#include <QApplication>

// The application object: the program's name, and a life that goes on while the main window
// is hidden and only notitas are shown.
class TarveloApplication : public QApplication
{
    Q_OBJECT
public:
    TarveloApplication(int& argc, char** argv);
};
