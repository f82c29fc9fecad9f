#pragma once

#include "platform/HelpViewer.h"

#include <QList>
#include <QRect>
#include <QStringList>

// A help viewer that records the help files it was asked to show, in order, and the window
// each was asked from.
class FakeHelpViewer : public HelpViewer
{
public:
    QStringList requested;
    QList<QRect> besides;

    void showContents(const QString& helpFile, const QRect& beside) override
    {
        requested << helpFile;
        besides << beside;
    }
};
