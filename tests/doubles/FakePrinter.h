#pragma once

#include "platform/Printer.h"

#include <QStringList>

// A printer that keeps every line it is sent, counts the documents ended, and answers endDoc
// as the test sets.
class FakePrinter : public Printer
{
public:
    QStringList lines; // every line sent, as sent
    int endDocs = 0;
    bool result = true;
    QStringList documentNames; // every name given, in order

    void setDocumentName(const QString& name) override { documentNames << name; }
    void printLine(const QString& line) override { lines << line; }
    bool endDoc() override;
};
