#pragma once

#include <QApplication>

// The application object: it catches a store failure that escapes any event handler, reports
// it and ends the program, the one place where such failures are met.
class TarveloApplication : public QApplication
{
    Q_OBJECT
public:
    TarveloApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
    bool failed() const { return failed_; }

private:
    bool failed_ = false;
};
