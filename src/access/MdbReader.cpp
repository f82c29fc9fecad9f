#include "access/MdbReader.h"

#include "access/MdbDecoder.h"
#include "access/MdbError.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>

#ifndef TARVELO_MDB_READER_INSTALLED
#error "TARVELO_MDB_READER_INSTALLED and _BUILT name the reader; the access CMakeLists defines them"
#endif

namespace {

constexpr const char* kProgramName = "tarvelo-mdb-read";

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

[[noreturn]] void refuse(const QString& path, const QString& why)
{
    throw MdbError(
        QStringLiteral("No se ha podido leer el archivo «%1»: %2.").arg(shown(path), why));
}

} // namespace

QString MdbReader::program()
{
    const QStringList candidates{
        QCoreApplication::instance()
            ? QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kProgramName))
            : QString(),
        QStringLiteral(TARVELO_MDB_READER_INSTALLED), QStringLiteral(TARVELO_MDB_READER_BUILT)};
    for (const QString& candidate : candidates) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return {};
}

MdbContents MdbReader::read(const QString& path, const Limits& limits)
{
    const QString reader = program();
    if (reader.isEmpty())
        refuse(path, QStringLiteral("no se encuentra el programa que lee archivos de Access (%1)")
                         .arg(QLatin1String(kProgramName)));
    QProcess process;
    process.setProgram(reader);
    process.setArguments({QFileInfo(path).absoluteFilePath()});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const rlim_t memory = rlim_t(limits.memoryBytes);
    const rlim_t cpu = rlim_t(limits.cpuSeconds);
    // Runs in the child between fork and exec: only calls safe there.
    process.setChildProcessModifier([memory, cpu] {
        const rlimit as{memory, memory};
        const rlimit processor{cpu, cpu};
        const rlimit none{0, 0};
        setrlimit(RLIMIT_AS, &as);
        setrlimit(RLIMIT_CPU, &processor);
        setrlimit(RLIMIT_CORE, &none);
        setrlimit(RLIMIT_FSIZE, &none); // it reads; it never writes a file
    });
    // The whole reading counts, the reader's own start included.
    const QDeadlineTimer deadline(limits.wallMs);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(10000))
        refuse(path, QStringLiteral("no se ha podido iniciar el programa que lee archivos de "
                                    "Access (%1)")
                         .arg(process.errorString()));

    MdbDecoder decoder(shown(path));
    try {
        for (;;) {
            // Checked at every turn: a reader that keeps writing must not keep the time open.
            if (process.state() != QProcess::NotRunning && deadline.hasExpired())
                break;
            if (process.bytesAvailable() == 0 && process.state() != QProcess::NotRunning)
                process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            const QByteArray bytes = process.readAll();
            if (!bytes.isEmpty()) {
                decoder.feed(bytes);
                continue;
            }
            if (process.state() == QProcess::NotRunning)
                break;
        }
    } catch (const MdbError&) {
        process.kill();
        process.waitForFinished(5000);
        throw;
    }
    // A reader that ended after the limit took too long as well, though this side only saw it
    // end: how busy the machine was does not change which readings are refused.
    if (process.state() != QProcess::NotRunning || deadline.hasExpired()) {
        process.kill();
        process.waitForFinished(5000);
        refuse(path, QStringLiteral("leerlo tardaba más de %1 segundos: está dañado")
                         .arg(limits.wallMs / 1000));
    }
    // Ended by a signal (a crash, the processor limit) or unable to run at all (the memory
    // limit reached while loading): the file cannot be read within the limits.
    const QString limitsPassed = QStringLiteral(
        "el archivo está dañado, o su lectura pasaba del límite de tiempo o de memoria");
    if (process.exitStatus() == QProcess::CrashExit)
        refuse(path, QStringLiteral("la biblioteca que lee archivos de Access se detuvo al leerlo "
                                    "(%1)")
                         .arg(limitsPassed));
    if (process.exitCode() != 0)
        refuse(path, QStringLiteral("el programa que lee archivos de Access terminó con el "
                                    "código %1 (%2)")
                         .arg(process.exitCode())
                         .arg(limitsPassed));
    return decoder.finish();
}
