#pragma once

#include <QRect>
#include <QString>

// The help viewer: opens a help file, named without a folder, at its contents.
class HelpViewer
{
public:
    virtual ~HelpViewer();
    // beside: the window the help is asked from, on the desktop and with its frame; the help
    // opens next to it.
    virtual void showContents(const QString& helpFile, const QRect& beside) = 0;
};
