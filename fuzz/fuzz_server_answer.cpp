// Any bytes as a calendar server's answer: read as a multistatus, as a day's event and as a
// notita's journal entry. Each is refused with a SyncError or read within its limits; none
// crashes, hangs or reads a day that is not a date.

#include "sync/DayContent.h"
#include "sync/Multistatus.h"
#include "sync/NotitaContent.h"
#include "sync/SyncError.h"

#include <QByteArray>
#include <QUrl>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const Multistatus answer =
            Multistatus::read(bytes, QUrl(QStringLiteral("http://127.0.0.1:5232/u/tarvelo/")),
                              QStringLiteral("127.0.0.1"));
        for (const Multistatus::Response& response : answer.responses) {
            if (response.href.isEmpty())
                std::abort(); // a response is kept only with its address
        }
    } catch (const SyncError&) {
    }
    try {
        const DayContent::Read read = DayContent::read(bytes, QStringLiteral("fuzz.ics"));
        if (read.ours && !read.day.date.isValid())
            std::abort();
        for (const QDate& date : read.dates) {
            if (!date.isValid())
                std::abort();
        }
    } catch (const SyncError&) {
    }
    try {
        NotitaContent::read(bytes, QStringLiteral("fuzz.ics"));
    } catch (const SyncError&) {
    }
    return 0;
}
