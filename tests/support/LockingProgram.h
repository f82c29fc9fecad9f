#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// The sqlite3 program holding the store's lock, as another program would: started with a
// transaction of the given kind, and ended when it goes out of scope.
struct LockingProgram
{
    LockingProgram(const QString& path, const QByteArray& script)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            return;
        process.start(QStringLiteral("sqlite3"), {path});
        if (!process.waitForStarted())
            return;
        process.write(script + "\nSELECT 'listo';\n");
        while (!process.readAllStandardOutput().contains("listo")) {
            if (!process.waitForReadyRead(5000))
                return;
        }
        holding = true;
    }
    ~LockingProgram()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(1000);
    }
    qint64 pid() const { return process.processId(); }
    // Runs more of the script (a COMMIT, say) and waits until it has run.
    bool run(const QByteArray& script)
    {
        process.write(script + "\nSELECT 'hecho';\n");
        while (!process.readAllStandardOutput().contains("hecho")) {
            if (!process.waitForReadyRead(5000))
                return false;
        }
        return true;
    }

    QProcess process;
    bool holding = false;
};
