#pragma once

#include <QFont>

// The program's one typeface, "MS Sans Serif" where the machine has it and a close sans serif
// elsewhere, at the point sizes the layouts give.
class Fonts
{
public:
    Fonts() = delete;

    static QFont sansSerif(qreal points, bool bold);
    static QFont fixedPitch(qreal points);
};
