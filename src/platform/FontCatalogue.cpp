#include "platform/FontCatalogue.h"

#include <QFontDatabase>
#include <QStringList>

#include <future>
#include <mutex>

namespace {

std::mutex reading;
std::future<void> catalogue;

} // namespace

void FontCatalogue::readAside()
{
    const std::lock_guard<std::mutex> hold(reading);
    if (!catalogue.valid())
        catalogue = std::async(std::launch::async, [] { QFontDatabase::families(); });
}

void FontCatalogue::awaitRead()
{
    const std::lock_guard<std::mutex> hold(reading);
    if (catalogue.valid())
        catalogue.wait();
}
