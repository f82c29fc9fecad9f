#include "platform/QtPrinter.h"

#include "platform/MessageBoxes.h"
#include "platform/PrintModule.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#ifndef TARVELO_PRINT_MODULE_INSTALLED
#error                                                                                             \
    "TARVELO_PRINT_MODULE_INSTALLED and _BUILT name the module; the platform CMakeLists defines them"
#endif

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

QString chooseWithDialog(const QString& suggested)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                        QStringLiteral("Guardar el listado como PDF"), suggested,
                                        QStringLiteral("Documentos PDF (*.pdf)"));
}

constexpr char kModuleName[] = "libtarvelo-print.so";

} // namespace

QtPrinter::QtPrinter(MessageBoxes& boxes, FileChooser chooseFile, PrinterLookup findPrinter,
                     QStringList modulePaths)
    : boxes_(boxes),
      chooseFile_(chooseFile ? std::move(chooseFile) : FileChooser(chooseWithDialog)),
      findPrinter_(std::move(findPrinter)),
      library_(QLatin1String(kModuleName), std::move(modulePaths))
{
    if (!findPrinter_) {
        findPrinter_ = [this] {
            const TarveloPrintModule* printing = module();
            return printing ? printing->defaultPrinter() : QString();
        };
    }
}

QtPrinter::~QtPrinter() = default;

QStringList QtPrinter::defaultModulePaths()
{
    return PlatformModule::places(QStringLiteral(TARVELO_PRINT_MODULE_RELATIVE),
                                  QStringLiteral(TARVELO_PRINT_MODULE_INSTALLED),
                                  QStringLiteral(TARVELO_PRINT_MODULE_BUILT));
}

const TarveloPrintModule* QtPrinter::module()
{
    if (!module_) {
        if (const auto entry =
                reinterpret_cast<TarveloPrintEntry>(library_.entry(kTarveloPrintEntry)))
            module_ = entry();
    }
    return module_;
}

bool QtPrinter::moduleMissing()
{
    if (module())
        return false;
    // The loader's reason went to stderr: it is not in Spanish.
    boxes_.show(QStringLiteral("No se puede imprimir ni guardar el listado: falta %1 o no se puede "
                               "cargar. Vuelva a instalar Tarvelo.")
                    .arg(QLatin1String(kModuleName)),
                MessageBoxes::Exclamation);
    lines_.clear();
    documentName_.clear();
    return true;
}

bool QtPrinter::print(const QString& printer, const QString& pdfPath)
{
    const TarveloPrintModule* printing = module();
    if (!printing)
        return false;
    TarveloPrintJob job;
    job.printer = printer;
    job.pdfPath = pdfPath;
    job.documentName = docName(documentName_);
    job.lines = lines_;
    job.points = kPoints;
    return printing->print(job);
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
    if (moduleMissing())
        return false;

    const QString printer = findPrinter_();
    if (printer.isEmpty()) {
        return offerPdf(QStringLiteral("No hay ninguna impresora disponible."));
    }
    if (print(printer, QString())) {
        lines_.clear();
        documentName_.clear();
        return true;
    }
    return offerPdf(
        QStringLiteral("No se ha podido imprimir el listado en la impresora «%1».").arg(printer));
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
    if (moduleMissing())
        return false;
    const bool written = print(QString(), path);
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
