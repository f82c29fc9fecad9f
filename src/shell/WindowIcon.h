#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a small calendar sheet (a blue band over a yellow block, white cells on
// black with the right-hand column red), drawn at 16 x 16 and scaled up pixel for pixel.
class WindowIcon
{
public:
    WindowIcon() = delete;

    static QImage image16();
    static QIcon icon(); // 16, 32, 48, 64 and 128 pixels

private:
    static QImage drawn(int size);
};
