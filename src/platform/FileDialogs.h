#pragma once

#include <QString>

// The file dialogs the menus open: a file to write or a file to read, chosen by the user.
class FileDialogs
{
public:
    virtual ~FileDialogs();
    // The file chosen, or empty when the user cancelled. filter: "Descripción (*.ext)".
    virtual QString saveFile(const QString& caption, const QString& suggested,
                             const QString& filter) = 0;
    virtual QString openFile(const QString& caption, const QString& filter) = 0;
};
