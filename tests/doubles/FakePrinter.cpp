#include "FakePrinter.h"

bool FakePrinter::endDoc()
{
    ++endDocs;
    return result;
}
