#pragma once

#include "platform/ImportChoice.h"

#include <QString>

#include <optional>

// The file dialogs the menus open: a file to write or a file to read, chosen by the user, and
// how a calendar file chosen for reading is to be brought in.
class FileDialogs
{
public:
    virtual ~FileDialogs();
    // The file chosen, or empty when the user cancelled. filter: "Descripción (*.ext)".
    virtual QString saveFile(const QString& caption, const QString& suggested,
                             const QString& filter) = 0;
    virtual QString openFile(const QString& caption, const QString& filter) = 0;
    // Whether every event of file is a holiday and which days it may bring in; year: the year
    // offered for recurring events. Empty when the user cancelled.
    virtual std::optional<ImportChoice> askImport(const QString& caption, const QString& file,
                                                  int year) = 0;
};
