#pragma once

#include "platform/Printer.h"
#include "platform/core/PlatformModule.h"

#include <QStringList>

#include <functional>

class MessageBoxes;
struct TarveloPrintJob;
struct TarveloPrintModule;

// The printer seam on the system's default printer: the lines of a document are kept until its
// end, then laid out in a fixed-pitch font page after page. Without a printer, or when it fails,
// the user may keep the listing as a PDF file instead. The laying out is Qt Print Support's, in
// a module of its own (see PrintModule.h) loaded when a document first ends.
class QtPrinter : public Printer
{
public:
    // Asked for the PDF file's name, given a suggestion; an empty answer abandons the listing.
    using FileChooser = std::function<QString(const QString& suggested)>;
    // The name of the printer endDoc prints on; empty when there is none.
    using PrinterLookup = std::function<QString()>;

    static constexpr qreal kPoints = 10;

    // Empty functions stand for the system's: a save-file dialog and the default printer. The
    // module is looked for where PlatformModule::places says; a test names its own.
    explicit QtPrinter(MessageBoxes& boxes, FileChooser chooseFile = {},
                       PrinterLookup findPrinter = {},
                       QStringList modulePaths = defaultModulePaths());
    ~QtPrinter() override;

    void setDocumentName(const QString& name) override { documentName_ = name; }
    void printLine(const QString& line) override;
    bool endDoc() override;

    // Ends the document into a PDF file at path instead of a printer. Returns false, after
    // saying so, when the file cannot be written. Either way the lines are dropped and the
    // next document is nameless until named.
    bool saveAsPdf(const QString& path);

    // The document under way, one entry a printed line (line breaks already split).
    const QStringList& lines() const { return lines_; }

    // The PDF file offered for a document of that name: the name, without the characters no
    // file name may hold, in the user's documents folder (the home folder when there is none).
    static QString suggestedFileName(const QString& documentName);

    static QStringList defaultModulePaths();

private:
    // The lines laid out on printer, or into the PDF file at pdfPath when printer is empty;
    // false when that could not be opened or written, or the module is missing.
    bool print(const QString& printer, const QString& pdfPath);
    const TarveloPrintModule* module();
    // True, after saying so and dropping the lines, when the module cannot be loaded.
    bool moduleMissing();
    bool offerPdf(const QString& reason);

    MessageBoxes& boxes_;
    FileChooser chooseFile_;
    PrinterLookup findPrinter_;
    PlatformModule library_;
    const TarveloPrintModule* module_ = nullptr;
    QStringList lines_;
    QString documentName_;
};
