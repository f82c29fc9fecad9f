#include "ical/ui/IcalCommands.h"

#include "ical/IcsError.h"
#include "ical/IcsExporter.h"
#include "ical/IcsImporter.h"
#include "ical/IcsReader.h"
#include "ical/ui/ImportDialog.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/domain/StoreGuard.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopeGuard>

#include <exception>
#include <optional>
#include <thread>

namespace {

const QString kIcsFilter = QStringLiteral("Calendarios iCalendar (*.ics);;Todos los archivos (*)");
// A reading shorter than this shows no progress at all.
constexpr int kProgressDelayMs = 400;

} // namespace

const QString IcalCommands::kExportTitle = QStringLiteral("Exportar a iCalendar");
const QString IcalCommands::kImportTitle = QStringLiteral("Importar de iCalendar");

IcalCommands::IcalCommands(CalendarStore& store, const StoreGuard& guard, MessageBoxes& boxes,
                           FileDialogs& files, QWidget* window)
    : QObject(window), store_(store), guard_(guard), boxes_(boxes), files_(files), window_(window)
{
    setObjectName(QStringLiteral("IcalCommands"));
}

void IcalCommands::exportCalendar()
{
    QString path = files_.saveFile(
        kExportTitle, QDir::home().filePath(QStringLiteral("tarvelo.ics")), kIcsFilter);
    if (path.isEmpty())
        return;
    // A name typed without an extension would make a file other calendars do not offer.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".ics");
    if (busy_)
        return;
    busy_ = true;
    const auto done = qScopeGuard([this] { busy_ = false; });
    // The store is read here, where it is open; the file is made on a thread of its own, so
    // that a large calendar leaves the window drawn meanwhile.
    QString said;
    int style = MessageBoxes::Information;
    std::optional<IcsExporter::Content> content;
    guard_.run([&] {
        try {
            content.emplace(IcsExporter::gather(store_, path));
        } catch (const IcsError& error) {
            said = error.message();
            style = MessageBoxes::Exclamation;
        }
    });
    if (content) {
        try {
            runAside(kExportTitle,
                     QStringLiteral("Exportando a «%1»…")
                         .arg(QDir::toNativeSeparators(QFileInfo(path).fileName())),
                     nullptr, [&] { said = IcsExporter::write(*content).text(); });
        } catch (const IcsError& error) {
            said = error.message();
            style = MessageBoxes::Exclamation;
        }
    }
    if (!said.isEmpty())
        boxes_.show(said, style, kExportTitle);
}

void IcalCommands::runAside(const QString& title, const QString& label, std::atomic<bool>* cancel,
                            const std::function<void()>& work)
{
    QProgressDialog progress(label, cancel ? QStringLiteral("&Cancelar") : QString(), 0, 0,
                             window_);
    progress.setObjectName(title == kImportTitle ? QStringLiteral("ProgresoImportar")
                                                 : QStringLiteral("ProgresoExportar"));
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressDelayMs);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    if (cancel)
        connect(&progress, &QProgressDialog::canceled, this, [cancel] { *cancel = true; });
    else
        progress.setCancelButton(nullptr);

    QEventLoop loop;
    std::exception_ptr thrown;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            thrown = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (thrown)
        std::rethrow_exception(thrown);
}

void IcalCommands::importCalendar(int shownYear)
{
    if (busy_)
        return;
    const QString path = files_.openFile(kImportTitle, kIcsFilter);
    if (path.isEmpty())
        return;
    busy_ = true;
    const auto done = qScopeGuard([this] { busy_ = false; });
    const QString name = QDir::toNativeSeparators(QFileInfo(path).fileName());
    std::atomic<bool> cancel{false};
    std::optional<IcsCalendar> calendar;
    std::optional<IcsImporter::Prepared> prepared;
    ImportOptions options;
    try {
        runAside(kImportTitle, QStringLiteral("Leyendo «%1»…").arg(name), &cancel,
                 [&] { calendar.emplace(IcsImporter::readFile(path, &cancel)); });
        ImportDialog dialog(kImportTitle, path, shownYear,
                            IcsReader::earliestSingle(*calendar, options.localZone), window_);
        if (dialog.exec() != QDialog::Accepted)
            return;
        options = dialog.options();
        runAside(kImportTitle, QStringLiteral("Preparando los días de «%1»…").arg(name), &cancel,
                 [&] { prepared.emplace(IcsImporter::prepare(*calendar, options, &cancel)); });
    } catch (const IcsError& error) {
        if (!error.wasCancelled())
            boxes_.show(error.message(), MessageBoxes::Exclamation, kImportTitle);
        return;
    }

    QString said;
    int style = MessageBoxes::Information;
    bool imported = false;
    guard_.run([&] {
        try {
            said = IcsImporter::write(store_, std::move(*prepared)).text();
            imported = true;
        } catch (const IcsError& error) {
            said = error.message();
            style = MessageBoxes::Exclamation;
        }
    });
    if (said.isEmpty())
        return;
    if (imported)
        emit daysChanged();
    boxes_.show(said, style, kImportTitle);
}
