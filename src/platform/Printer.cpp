#include "platform/Printer.h"

Printer::~Printer() = default;
