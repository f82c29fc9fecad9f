#include "shell/WindowIcon.h"

#include <QPixmap>

namespace {

// '.' transparent, 'k' black, 'w' white, 'r' red, 'b' blue, 'y' yellow.
constexpr const char* kRows[16] = {
    "................", ".kkkkkkkkkkkkkk.", ".kbbbbbbbbbbbbk.", ".kbbbbbbbbbbbbk.",
    ".kyyyyyyyyyyyyk.", ".kyyyyyyyyyyyyk.", ".kkkkkkkkkkkkkk.", ".kwkwkwkwkwkrrk.",
    ".kkkkkkkkkkkkkk.", ".kwkwkwkwkwkrrk.", ".kkkkkkkkkkkkkk.", ".kwkwkwkwkwkrrk.",
    ".kkkkkkkkkkkkkk.", ".kwkwkwkwkwkrrk.", ".kkkkkkkkkkkkkk.", "................",
};

QRgb colorOf(char c)
{
    switch (c) {
    case 'k':
        return qRgb(0, 0, 0);
    case 'w':
        return qRgb(255, 255, 255);
    case 'r':
        return qRgb(255, 0, 0);
    case 'b':
        return qRgb(0, 0, 255);
    case 'y':
        return qRgb(255, 255, 0);
    default:
        return qRgba(0, 0, 0, 0);
    }
}

} // namespace

QImage WindowIcon::image16()
{
    return drawn(16);
}

QImage WindowIcon::drawn(int size)
{
    // Each pixel of the sheet becomes a square block: drawn directly, for scaling an image
    // would start Qt's image threads while the window is being built.
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size; ++x)
            line[x] = colorOf(kRows[y * 16 / size][x * 16 / size]);
    }
    return image;
}

QIcon WindowIcon::icon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(drawn(size)));
    return icon;
}
