#include "month/DayMarkPictures.h"

#include <cmath>

namespace {

// Rows from the top: '#' yellow, 'x' black, '.' the strip's own colour.
constexpr const char* kBell[DayMarkPictures::kHeight] = {
    "..###..", "..###..", ".#####.", ".#####.", "#######", "#######", "...#...", "...#...",
};
constexpr const char* kNote[DayMarkPictures::kHeight] = {
    "#######", "#x#xxx#", "#######", "#xxx###", "#######", "#x#xxx#", "#######", "#######",
};
constexpr int kBellColumn = 1;
constexpr int kNoteColumn = 21;

QColor stripColor(int group)
{
    switch (group) {
    case 0:
        return QColor(0, 255, 255);
    case 1:
        return DayMarkPictures::maskColor();
    case 2:
        return QColor(0, 0, 0);
    default:
        return QColor(0, 128, 0);
    }
}

void drawMark(QImage& image, const char* const rows[], int column, QColor strip)
{
    for (int y = 0; y < DayMarkPictures::kHeight; ++y) {
        for (int x = 0; rows[y][x] != '\0'; ++x) {
            const char c = rows[y][x];
            const QColor color = c == '#' ? QColor(255, 255, 0) : c == 'x' ? Qt::black : strip;
            image.setPixelColor(column + x, y, color);
        }
    }
}

} // namespace

QImage DayMarkPictures::picture(int n)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    if (n < 1 || n > kCount) {
        image.fill(maskColor());
        return image;
    }
    const int group = (n - 1) / 4;
    const int mark = (n - 1) % 4;
    const QColor strip = stripColor(group);
    image.fill(strip);
    if (mark & 1)
        drawMark(image, kBell, kBellColumn, strip);
    if (mark & 2)
        drawMark(image, kNote, kNoteColumn, strip);
    return image;
}

QImage DayMarkPictures::transparentPicture(int n)
{
    QImage image = picture(n);
    const QRgb mask = maskColor().rgb();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (image.pixel(x, y) == mask)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    return image;
}

QPixmap DayMarkPictures::pixmap(int n, qreal devicePixelRatio, bool transparent)
{
    const int factor = std::max(1, int(std::ceil(devicePixelRatio)));
    const QImage source = transparent ? transparentPicture(n) : picture(n);
    QPixmap pixmap = QPixmap::fromImage(source.scaled(
        kWidth * factor, kHeight * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    pixmap.setDevicePixelRatio(factor);
    return pixmap;
}

int DayMarkPictures::pictureFor(DayColour colour, bool alarm, bool note)
{
    return DayColours::code(colour) + (alarm ? 1 : 0) + (note ? 2 : 0);
}

int DayMarkPictures::pictureFor(const Day& day)
{
    return pictureFor(&day, false);
}

int DayMarkPictures::pictureFor(const Day* day, bool fromCalendar)
{
    if (!day)
        return pictureFor(DayColours::kNeutral, false, fromCalendar);
    return pictureFor(day->colour.value_or(DayColours::kNeutral), day->alarmOn,
                      !day->note.isEmpty() || fromCalendar);
}
