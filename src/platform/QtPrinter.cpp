#include "platform/QtPrinter.h"

#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextLayout>
#include <QTextOption>

namespace {

constexpr int kTabStop = 8;
// What a document not named for what it holds is called.
const QString kUnnamed = QStringLiteral("Listado de notas");

QString docName(const QString& documentName)
{
    return documentName.isEmpty() ? kUnnamed : documentName;
}

// A note may hold tabs and stray control characters; on paper a tab is spaces to the next
// stop of the fixed pitch, and other controls would print as boxes or not at all.
QString printable(const QString& line)
{
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == QLatin1Char('\t')) {
            out += QString(kTabStop - out.size() % kTabStop, QLatin1Char(' '));
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out;
}

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

QString chooseWithDialog(const QString& suggested)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                        QStringLiteral("Guardar el listado como PDF"), suggested,
                                        QStringLiteral("Documentos PDF (*.pdf)"));
}

} // namespace

QtPrinter::QtPrinter(MessageBoxes& boxes, FileChooser chooseFile, PrinterLookup findPrinter)
    : boxes_(boxes),
      chooseFile_(chooseFile ? std::move(chooseFile) : FileChooser(chooseWithDialog)),
      findPrinter_(findPrinter ? std::move(findPrinter)
                               : PrinterLookup(&QPrinterInfo::defaultPrinter))
{
}

void QtPrinter::printLine(const QString& line)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& part : line.split(lineBreak))
        lines_ << printable(part);
}

QString QtPrinter::suggestedFileName(const QString& documentName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    static const QRegularExpression forbidden(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    QString name = QString(documentName).replace(forbidden, QStringLiteral("-")).trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = kUnnamed;
    return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

bool QtPrinter::endDoc()
{
    if (lines_.isEmpty())
        return true;

    const QPrinterInfo info = findPrinter_();
    if (info.isNull()) {
        return offerPdf(QStringLiteral("No hay ninguna impresora disponible."));
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(docName(documentName_));
    if (printer.isValid() && paint(printer)) {
        lines_.clear();
        documentName_.clear();
        return true;
    }
    return offerPdf(QStringLiteral("No se ha podido imprimir el listado en la impresora «%1».")
                        .arg(info.printerName()));
}

bool QtPrinter::offerPdf(const QString& reason)
{
    const int answer =
        boxes_.show(reason + QStringLiteral("\n\n¿Desea guardar el listado como archivo PDF?"),
                    MessageBoxes::OkCancel | MessageBoxes::Question);
    QString path =
        answer == MessageBoxes::Ok ? chooseFile_(suggestedFileName(documentName_)) : QString();
    if (path.isEmpty()) {
        lines_.clear();
        documentName_.clear();
        return false;
    }
    // A name typed without an extension would make a file no viewer recognises.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (!saveAsPdf(path))
        return false;
    boxes_.show(QStringLiteral("El listado se ha guardado en el archivo PDF «%1».")
                    .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
                MessageBoxes::Information);
    return true;
}

bool QtPrinter::saveAsPdf(const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(docName(documentName_));
    printer.setCreator(QStringLiteral("Tarvelo"));
    printer.setOutputFileName(path);
    const bool written = paint(printer);
    lines_.clear();
    documentName_.clear();
    if (!written) {
        boxes_.show(QStringLiteral("No se ha podido escribir el archivo PDF «%1». Compruebe que la "
                                   "carpeta existe y que se puede escribir en ella.")
                        .arg(QDir::toNativeSeparators(path)),
                    MessageBoxes::Exclamation);
    }
    return written;
}

bool QtPrinter::paint(QPrinter& printer) const
{
    printer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QFont font = Fonts::fixedPitch(kPoints);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const qreal width = printer.width();
    const qreal height = printer.height();
    const qreal lineHeight = metrics.lineSpacing();

    qreal y = 0;
    for (const QString& line : lines_) {
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
