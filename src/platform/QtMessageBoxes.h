#pragma once

#include "platform/MessageBoxes.h"

// Message boxes shown as modal Qt dialogs over the active window.
class QtMessageBoxes : public MessageBoxes
{
public:
    int show(const QString& prompt, int style = OkOnly, const QString& title = {}) override;
};
