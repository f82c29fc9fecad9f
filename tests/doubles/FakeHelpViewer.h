#pragma once

#include "platform/HelpViewer.h"

#include <QStringList>

// A help viewer that records the help files it was asked to show, in order.
class FakeHelpViewer : public HelpViewer
{
public:
    QStringList requested;

    void showContents(const QString& helpFile) override { requested << helpFile; }
};
