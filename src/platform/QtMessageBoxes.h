#pragma once

#include "platform/MessageBoxes.h"

// Message boxes shown as modal Qt dialogs over the active window.
class QtMessageBoxes : public MessageBoxes
{
public:
    int show(const QString& prompt, int style = OkOnly, const QString& title = {}) override;
    int choose(const QString& prompt, const QStringList& buttons, int defaultButton,
               int style = Question, const QString& title = {}) override;
};
