#pragma once

#include <QString>

// The help viewer: opens a help file, named without a folder, at its contents.
class HelpViewer
{
public:
    virtual ~HelpViewer();
    virtual void showContents(const QString& helpFile) = 0;
};
