#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

// What a folder holds: every entry's name, hidden ones and pipes included, and the bytes of each
// plain file. Two snapshots are equal when nothing was added, taken away or changed.
struct FolderSnapshot
{
    explicit FolderSnapshot(const QString& folder)
    {
        const QDir dir(folder);
        names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                              QDir::Name);
        for (const QString& name : names) {
            const QFileInfo info(dir.filePath(name));
            // Only plain files are read: a pipe or a device would block the test.
            if (!info.isFile() || info.isSymLink())
                continue;
            QFile file(info.filePath());
            bytes.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll()
                                                              : QByteArray("<unreadable>"));
        }
    }

    bool operator==(const FolderSnapshot&) const = default;

    // For a failing comparison: the names, and each file's size.
    QString describe() const
    {
        QStringList parts;
        for (const QString& name : names) {
            const auto it = bytes.constFind(name);
            parts << (it == bytes.constEnd() ? name
                                             : QStringLiteral("%1 (%2)").arg(name).arg(it->size()));
        }
        return parts.join(QStringLiteral(", "));
    }

    QStringList names;
    QMap<QString, QByteArray> bytes;
};
