#pragma once

#include "platform/FileDialogs.h"

// The desktop's file dialogs, over the active window.
class QtFileDialogs : public FileDialogs
{
public:
    QString saveFile(const QString& caption, const QString& suggested,
                     const QString& filter) override;
    QString openFile(const QString& caption, const QString& filter) override;
};
