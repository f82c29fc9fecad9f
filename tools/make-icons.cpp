// make-icons: writes the program's icon as PNG files, one per size, into a folder; the build
// runs it so that the installed icons are drawn by the same code as the window's.

#include "shell/WindowIcon.h"

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Uso: make-icons CARPETA\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QImage base = WindowIcon::image16();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString name = out.filePath(QStringLiteral("tarvelo-%1.png").arg(size));
        if (!base.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(name)) {
            std::fprintf(stderr, "make-icons: no se puede escribir %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
