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
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, colorOf(kRows[y][x]));
    }
    return image;
}

QIcon WindowIcon::icon()
{
    QIcon icon;
    const QImage base = image16();
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(
            base.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    return icon;
}
