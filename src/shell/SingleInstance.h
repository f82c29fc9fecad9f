#pragma once

#include <QObject>
#include <QString>

#include <future>
#include <memory>

class QLockFile;

// One copy of the program per data folder: two copies would bind the same notitas twice and
// overwrite each other's typing, so a second start hands over to the first and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Begins taking the folder's lock on a thread of its own, which the next claim waits for:
    // writing the lock waits for the disk, and the program meanwhile connects to the display.
    void claimAside();
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
    // Where this copy answers later starts.
    QString socketPath() const;

signals:
    void activationRequested();

private:
    // Another live copy has the folder's lock.
    bool folderHeld() const;
    // The folder's lock: true when this copy holds it, or the folder cannot hold one.
    bool takeLock();
    // Answers later starts from the event loop: each may ask for the windows to come forward.
    void listen();
    void answer(int client);

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    int listener_ = -1;
    std::future<bool> taking_;
};
