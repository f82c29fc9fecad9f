#include "shell/StoreFailure.h"

#include "platform/MessageBoxes.h"
#include "store/StoreError.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
MessageBoxes* g_boxes = nullptr;
}

void StoreFailure::setMessageBoxes(MessageBoxes* boxes)
{
    g_boxes = boxes;
}

void StoreFailure::report(const StoreError& error)
{
    std::fprintf(stderr, "tarvelo: %s\n", error.message().toLocal8Bit().constData());
    if (g_boxes)
        g_boxes->show(error.message(), MessageBoxes::Critical);
    QCoreApplication::exit(kExitCode);
}
