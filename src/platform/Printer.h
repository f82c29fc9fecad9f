#pragma once

#include <QString>

// The default printer as the listings use it: lines of text, one after another, then the end
// of the document, which hands the pages over.
class Printer
{
public:
    virtual ~Printer();
    // What the next document holds, in words ("Notas de mayo de 1997"): the name it is known by
    // on the printer, or as a file.
    virtual void setDocumentName(const QString& name) = 0;
    // One line; a line break inside it starts a new line.
    virtual void printLine(const QString& line) = 0;
    // Ends the document. Returns false when it could not be printed (the user has been told
    // why, and has declined or failed to keep it another way); the lines are then dropped.
    virtual bool endDoc() = 0;
};
