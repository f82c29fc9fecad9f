#pragma once

#include "store/domain/Day.h"

#include <QColor>
#include <QImage>
#include <QPixmap>

// The 16 day-mark pictures of the day buttons (29 x 8 pixels: a colour strip with an optional
// bell and note sheet), drawn from their pixel rows rather than kept as image files.
class DayMarkPictures
{
public:
    DayMarkPictures() = delete;

    static constexpr int kCount = 16;
    static constexpr int kWidth = 29;
    static constexpr int kHeight = 8;
    // Light grey is the transparent colour of the set: picture 5 shows no strip at all.
    static QColor maskColor() { return QColor(192, 192, 192); }

    // Picture n (1..16) as drawn, mask colour included.
    static QImage picture(int n);
    // The same with the mask colour transparent, as the buttons show it.
    static QImage transparentPicture(int n);
    // Scaled by a whole factor with sharp pixels, for high-density screens.
    static QPixmap pixmap(int n, qreal devicePixelRatio, bool transparent = true);

    // A colour's first picture is its stored code; plus 1 for an alarm, plus 2 for a note.
    static int pictureFor(DayColour colour, bool alarm, bool note);
    // The picture of a stored day; a colour the program never writes shows as the neutral one.
    static int pictureFor(const Day& day);
    // The picture of a day, stored (or none, without a row), whose note's mark also shows what
    // the calendar's repeating events show on it.
    static int pictureFor(const Day* day, bool fromCalendar);
    // The picture of a day without marks, which every day without a row shows.
    static int neutralPicture() { return pictureFor(DayColours::kNeutral, false, false); }
};
