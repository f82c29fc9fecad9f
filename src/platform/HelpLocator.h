#pragma once

#include <QString>
#include <QStringList>

// Where a help file named without a folder is found: the first of a list of folders that
// holds it, in the order the program looks.
class HelpLocator
{
public:
    HelpLocator() = delete;

    // The folders the program looks in: the working directory, the program's own folder and
    // the installed data folder.
    static QStringList standardFolders();

    // The absolute path of name in the first folder that holds it; empty when none does.
    static QString find(const QString& name, const QStringList& folders);
};
