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
    // Asks the copy that runs on the folder to bring its windows forward, and waits for its
    // answer. A copy that started a moment before holds the folder before it answers: it is
    // waited for (up to kHandOverWaitMs). False when it could not be reached.
    bool activateRunning();

    // What a start does with the folder: takes it (the first copy), or hands over to the copy
    // that has it and ends; Unreachable when that copy holds the folder and never answers.
    enum class Start
    {
        First,
        HandedOver,
        Unreachable
    };
    Start claimOrHandOver();

    static constexpr int kHandOverWaitMs = 30000;

    QString lockPath() const;
    QString serverName() const;

signals:
    void activationRequested();

private:
    // Another live copy has the folder's lock.
    bool folderHeld() const;

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
