#pragma once

#include <QObject>

class QSocketNotifier;

// The signals that end a program from outside it (SIGTERM at logout or shutdown, SIGHUP when
// its terminal goes, SIGINT for Ctrl+C), turned into an ordinary event on the program's own
// thread, so that the program can end as "Salir" ends it instead of being cut off.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // The default handling comes back: a second copy of this object is no longer listening.
    ~TerminationSignals() override;

    static QList<int> handledSignals();

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};
