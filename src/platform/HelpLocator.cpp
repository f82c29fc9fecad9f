#include "platform/HelpLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef TARVELO_DATA_DIR
#error "TARVELO_DATA_DIR names the installed data folder; the platform library defines it"
#endif

QStringList HelpLocator::standardFolders()
{
    // Asked at every call: the working directory is the user's data folder of the moment.
    return {QDir::currentPath(), QCoreApplication::applicationDirPath(),
            QStringLiteral(TARVELO_DATA_DIR)};
}

QString HelpLocator::find(const QString& name, const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue; // an empty folder would stand for the working directory a second time
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.isFile() && file.isReadable())
            return file.absoluteFilePath();
    }
    return {};
}
