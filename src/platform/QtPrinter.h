#pragma once

#include "platform/Printer.h"

#include <QStringList>

#include <functional>

class MessageBoxes;
class QPrinter;
class QPrinterInfo;

// The printer seam on the system's default printer: the lines of a document are kept until its
// end, then laid out in a fixed-pitch font page after page. Without a printer, or when it fails,
// the user may keep the listing as a PDF file instead.
class QtPrinter : public Printer
{
public:
    // Asked for the PDF file's name, given a suggestion; an empty answer abandons the listing.
    using FileChooser = std::function<QString(const QString& suggested)>;
    // The printer endDoc prints on; a null QPrinterInfo means there is none.
    using PrinterLookup = std::function<QPrinterInfo()>;

    static constexpr qreal kPoints = 10;

    // Empty functions stand for the system's: a save-file dialog and the default printer.
    explicit QtPrinter(MessageBoxes& boxes, FileChooser chooseFile = {},
                       PrinterLookup findPrinter = {});

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

private:
    // Lays the lines out on printer; false when the printer could not be opened or written.
    bool paint(QPrinter& printer) const;
    bool offerPdf(const QString& reason);

    MessageBoxes& boxes_;
    FileChooser chooseFile_;
    PrinterLookup findPrinter_;
    QStringList lines_;
    QString documentName_;
};
