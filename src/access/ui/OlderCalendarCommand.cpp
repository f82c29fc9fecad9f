#include "access/ui/OlderCalendarCommand.h"

#include "access/CalendarJoin.h"
#include "access/MdbError.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/domain/FirstStartMark.h"
#include "store/domain/StoreGuard.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QThread>

#include <exception>
#include <memory>
#include <optional>

namespace {

const QString kMdbFilter = QStringLiteral("Calendarios de Access (*.mdb);;Todos los archivos (*)");
// A reading shorter than this shows no progress at all.
constexpr int kProgressDelayMs = 400;
// The changes and the days left out a summary lists; the rest are counted.
constexpr int kListed = 15;
// The notitas the windows show; more are kept, and the question says so.
constexpr int kNotitasShown = 10;

QString count(int n, const QString& one, const QString& many)
{
    return n == 1 ? QStringLiteral("1 ") + one : QStringLiteral("%1 ").arg(n) + many;
}

QString question(const QString& name, const CalendarJoin::Coming& coming)
{
    QString text =
        QStringLiteral("El archivo «%1» trae %2 y %3. El calendario abierto ya tiene algo "
                       "guardado en %4 de esos días: en ellos, la nota traída se añadirá detrás "
                       "de la guardada, después de « · », como al importar de iCalendar. Los "
                       "demás días se añadirán tal como vienen, y las notitas detrás de las que "
                       "ya hay.")
            .arg(name, count(coming.days, QStringLiteral("día"), QStringLiteral("días")),
                 count(coming.notitas, QStringLiteral("notita"), QStringLiteral("notitas")))
            .arg(coming.meeting);
    const int notitas = coming.storedNotitas + coming.notitas;
    if (coming.notitas > 0 && notitas > kNotitasShown)
        text += QStringLiteral(" El calendario tendrá entonces %1 notitas; se muestran las %2 "
                               "primeras.")
                    .arg(notitas)
                    .arg(kNotitasShown);
    return text + QStringLiteral("\n\n¿Desea traerlo?");
}

QString summary(const CalendarJoin::Result& result)
{
    std::vector<ConversionReport::Count> more;
    QStringList paragraphs;
    if (result.filled) {
        paragraphs << QStringLiteral("El calendario estaba vacío: ahora tiene todo lo del "
                                     "calendario de la versión anterior.");
    } else {
        more = {{QStringLiteral("días añadidos"), result.added},
                {QStringLiteral("días unidos a los guardados"), result.joined},
                {QStringLiteral("días que ya lo tenían todo"), result.alreadyHeld}};
    }
    paragraphs << QStringLiteral("El archivo de la versión anterior no se ha cambiado.");
    return result.report.html(kListed, more, paragraphs);
}

} // namespace

const QString OlderCalendarCommand::kTitle =
    QStringLiteral("Traer el calendario de la versión anterior");

OlderCalendarCommand::OlderCalendarCommand(CalendarStore& store, const StoreGuard& guard,
                                           MessageBoxes& boxes, FileDialogs& files, QWidget* window)
    : QObject(window), store_(store), guard_(guard), boxes_(boxes), files_(files), window_(window)
{
    setObjectName(QStringLiteral("OlderCalendarCommand"));
}

void OlderCalendarCommand::offerOnFirstStart()
{
    bool offer = false;
    if (!guard_.run([&] {
            offer = FirstStartMark::take(store_.database()) && !store_.days().first() &&
                    store_.notitas().count() == 0;
        }) ||
        !offer)
        return;
    const int answer = boxes_.show(
        QStringLiteral("Este calendario es nuevo y está vacío. Si tiene el calendario del "
                       "programa anterior (un archivo calendar.mdb de Access, quizá copiado de "
                       "otro equipo), Tarvelo puede traerlo ahora: días, notas, festivos, "
                       "alarmas y notitas.\n\n¿Desea buscarlo? También puede hacerlo más tarde "
                       "con «Archivo → Traer el calendario de la versión anterior…»."),
        MessageBoxes::YesNo | MessageBoxes::Question, kTitle);
    if (answer == MessageBoxes::Yes)
        bringOver();
}

void OlderCalendarCommand::bringOver()
{
    if (busy_)
        return;
    const QString path = files_.openFile(kTitle, kMdbFilter);
    if (path.isEmpty())
        return;
    busy_ = true;
    const auto done = qScopeGuard([this] { busy_ = false; });
    const QString name = QDir::toNativeSeparators(QFileInfo(path).fileName());

    // The file is read whole, in a process of its own, on a thread of its own: the window goes
    // on being drawn, and nothing is asked or written before the reading is complete.
    std::optional<CalendarMending::Result> older;
    std::exception_ptr thrown;
    {
        QProgressDialog progress(QStringLiteral("Leyendo «%1»…").arg(name), QString(), 0, 0,
                                 window_);
        progress.setObjectName(QStringLiteral("ProgresoTraer"));
        progress.setWindowTitle(kTitle);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(kProgressDelayMs);
        progress.setCancelButton(nullptr);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        QEventLoop loop;
        const QString storePath = store_.database().path();
        const MdbReader::Limits limits = limits_;
        // A QThread, not a bare thread: the reader's process needs an event dispatcher.
        std::unique_ptr<QThread> reading(QThread::create([&] {
            try {
                older.emplace(CalendarJoin::read(path, storePath, limits));
            } catch (...) {
                thrown = std::current_exception();
            }
        }));
        connect(reading.get(), &QThread::finished, &loop, &QEventLoop::quit);
        reading->start();
        loop.exec();
        reading->wait();
    }
    try {
        if (thrown)
            std::rethrow_exception(thrown);
    } catch (const MdbError& error) {
        boxes_.show(error.message() + QStringLiteral("\n\nEl calendario abierto no ha cambiado."),
                    MessageBoxes::Exclamation, kTitle);
        return;
    } catch (const std::exception&) {
        boxes_.show(QStringLiteral("No se ha podido leer el archivo «%1»: falta memoria para "
                                   "leerlo o está dañado.\n\nEl calendario abierto no ha "
                                   "cambiado.")
                        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
                    MessageBoxes::Exclamation, kTitle);
        return;
    }

    CalendarJoin::Coming coming;
    if (!older || !guard_.run([&] { coming = CalendarJoin::look(store_, *older); }))
        return;
    if (!coming.storeEmpty &&
        boxes_.show(question(name, coming),
                    MessageBoxes::YesNo | MessageBoxes::Question | MessageBoxes::DefaultButton2,
                    kTitle) != MessageBoxes::Yes)
        return;

    std::optional<CalendarJoin::Result> result;
    QString failure;
    guard_.run([&] {
        try {
            result = CalendarJoin::write(store_, *older);
        } catch (const MdbError& error) {
            failure = error.message();
        }
    });
    if (!failure.isEmpty()) {
        boxes_.show(failure, MessageBoxes::Exclamation, kTitle);
        return;
    }
    if (!result)
        return;
    // Written on the program's own connection, under the windows: they show it now.
    store_.outsideWrites().announce({true, true});
    boxes_.show(summary(*result), MessageBoxes::Information, kTitle);
}
