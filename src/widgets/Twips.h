#pragma once

#include <QRect>

// The one conversion from the layouts' twips (1/1440 inch) to pixels: 15 twips a pixel at
// 96 dots per inch; Qt's device-independent pixels carry the screen's own scaling.
class Twips
{
public:
    Twips() = delete;

    static int toPixels(int twips);
    static int fromPixels(int pixels);
    static QRect rect(int left, int top, int width, int height);
};
