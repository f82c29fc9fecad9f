#include "platform/core/PlatformModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

PlatformModule::PlatformModule(QString fileName, QStringList paths)
    : fileName_(std::move(fileName)), paths_(std::move(paths))
{
}

QStringList PlatformModule::places(const QString& relative, const QString& installed,
                                   const QString& built)
{
    return {QCoreApplication::instance()
                ? QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(relative))
                : QString(),
            installed, built};
}

QFunctionPointer PlatformModule::entry(const char* symbol)
{
    if (looked_)
        return entry_;
    looked_ = true;
    failure_ = QStringLiteral("no se encuentra %1").arg(fileName_);
    for (const QString& path : paths_) {
        if (path.isEmpty() || !QFileInfo::exists(path))
            continue;
        library_.setFileName(path);
        entry_ = library_.resolve(symbol);
        if (entry_) {
            failure_.clear();
            return entry_;
        }
        failure_ = QStringLiteral("no se ha podido cargar %1: %2")
                       .arg(QDir::toNativeSeparators(path), library_.errorString());
    }
    // The seam then goes without; why is told here, for whoever installed the program.
    std::fprintf(stderr, "tarvelo: %s\n", failure_.toLocal8Bit().constData());
    return nullptr;
}

QString PlatformModule::failure()
{
    return failure_;
}
