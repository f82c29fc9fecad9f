#pragma once

#include "platform/FileDialogs.h"

#include <QStringList>

// File dialogs answered by the test: every question is recorded and answered with the file
// the test set (empty: the user cancelled).
class FakeFileDialogs : public FileDialogs
{
public:
    QString answer;
    QStringList captions;

    QString saveFile(const QString& caption, const QString&, const QString&) override
    {
        captions << caption;
        return answer;
    }
    QString openFile(const QString& caption, const QString&) override
    {
        captions << caption;
        return answer;
    }
};
