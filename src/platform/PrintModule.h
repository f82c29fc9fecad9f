#pragma once

#include <QString>
#include <QStringList>

// What the printing module (libtarvelo-print.so) offers the program. Only the module links Qt
// Print Support, loaded with the first listing printed rather than with the program.
struct TarveloPrintJob
{
    QString printer; // the printer to print on; empty: a PDF file at pdfPath instead
    QString pdfPath;
    QString documentName;
    QStringList lines; // one entry a printed line, already printable
    qreal points = 10; // the fixed-pitch font's size
};

extern "C" {
struct TarveloPrintModule
{
    QString (*defaultPrinter)(); // empty when the system has none
    // Lays the lines out page after page; false when the printer or the file could not be
    // opened or written.
    bool (*print)(const TarveloPrintJob& job);
};
using TarveloPrintEntry = const TarveloPrintModule* (*)();
}

// The one symbol the module exports: it returns the table above.
inline constexpr char kTarveloPrintEntry[] = "tarvelo_print_module";
