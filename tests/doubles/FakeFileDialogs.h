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
    // How the import is answered: the year offered is kept in it, unless the test set one.
    std::optional<ImportChoice> importAnswer = ImportChoice{};
    int offeredYear = 0;

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
    std::optional<ImportChoice> askImport(const QString& caption, const QString&, int year) override
    {
        captions << caption;
        offeredYear = year;
        if (importAnswer && importAnswer->recurringYear == 0) {
            ImportChoice choice = *importAnswer;
            choice.recurringYear = year;
            return choice;
        }
        return importAnswer;
    }
};
