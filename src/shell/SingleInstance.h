#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// One copy of the program per data folder: two copies would bind the same notitas twice and
// overwrite each other's typing, so a second start hands over to the first and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when no other copy runs on the folder; from then on this copy answers later starts.
    bool claim();
    // Asks the copy that runs on the folder to bring its windows forward. False when it could
    // not be reached.
    bool activateRunning();

    QString lockPath() const;
    QString serverName() const;

signals:
    void activationRequested();

private:
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
