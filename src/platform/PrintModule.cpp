// The printing module: Qt Print Support behind the table of PrintModule.h.
#include "platform/PrintModule.h"

#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>
#include <QTextOption>

namespace {

// The pieces a line takes on paper of the given width: broken after a word where one fits,
// anywhere within a word longer than the whole width, and never within a character.
QStringList wrapped(const QString& line, const QFont& font, QPaintDevice* device, qreal width)
{
    QStringList pieces;
    QTextLayout layout(line, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine textLine = layout.createLine(); textLine.isValid();
         textLine = layout.createLine()) {
        textLine.setLineWidth(width);
        pieces << line.mid(textLine.textStart(), textLine.textLength());
    }
    layout.endLayout();
    if (pieces.isEmpty())
        pieces << QString();
    return pieces;
}

bool paint(QPrinter& printer, const TarveloPrintJob& job)
{
    printer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QFont font = Fonts::fixedPitch(job.points);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const qreal width = printer.width();
    const qreal height = printer.height();
    const qreal lineHeight = metrics.lineSpacing();

    qreal y = 0;
    for (const QString& line : job.lines) {
        for (const QString& piece : wrapped(line, font, &printer, width)) {
            // y > 0: a page always takes at least one line, however tall the font.
            if (y > 0 && y + lineHeight > height) {
                if (!printer.newPage()) {
                    painter.end();
                    return false;
                }
                y = 0;
            }
            painter.drawText(QPointF(0, y + metrics.ascent()), piece);
            y += lineHeight;
        }
    }
    return painter.end();
}

bool print(const TarveloPrintJob& job)
{
    if (job.printer.isEmpty()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setDocName(job.documentName);
        printer.setCreator(QStringLiteral("Tarvelo"));
        printer.setOutputFileName(job.pdfPath);
        return paint(printer, job);
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(job.printer);
    if (info.isNull())
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(job.documentName);
    return printer.isValid() && paint(printer, job);
}

constexpr TarveloPrintModule kModule{
    [] { return QPrinterInfo::defaultPrinter().printerName(); },
    print,
};

} // namespace

extern "C" Q_DECL_EXPORT const TarveloPrintModule* tarvelo_print_module()
{
    return &kModule;
}
