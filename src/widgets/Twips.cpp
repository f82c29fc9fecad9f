#include "widgets/Twips.h"

#include <cmath>

namespace {
constexpr double kTwipsPerPixel = 15.0;
}

int Twips::toPixels(int twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

int Twips::fromPixels(int pixels)
{
    return int(std::lround(pixels * kTwipsPerPixel));
}

QRect Twips::rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}
