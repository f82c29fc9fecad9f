// tarvelo-db: the store tool. Makes an empty calendar.mdb and checks an existing one (the
// program itself never creates its store), takes a store's days to and from iCalendar, and
// syncs them with a calendar server.

#include "access/MdbError.h"
#include "access/MdbImport.h"
#include "ical/IcsError.h"
#include "ical/IcsExporter.h"
#include "ical/IcsImporter.h"
#include "store/CalendarStore.h"
#include "store/domain/FirstStartMark.h"
#include "store/domain/StoreSummary.h"
#include "store/sqlite/Database.h"
#include "store/sqlite/StoreError.h"
#include "sync/CalendarSync.h"
#include "sync/DavClient.h"
#include "sync/PasswordKeyring.h"
#include "sync/SyncError.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>

#include <sqlite3.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

int usage(QTextStream& err)
{
    err << "Uso:\n"
           "  tarvelo-db create [--ofrecer-anterior] [CARPETA]\n"
           "                                crea un calendar.mdb vacío en CARPETA "
           "(por omisión, la actual);\n"
           "                                con --ofrecer-anterior, Tarvelo ofrecerá traer el "
           "calendario\n"
           "                                de la versión anterior la primera vez que lo abra\n"
           "  tarvelo-db check [ARCHIVO]    comprueba un archivo de datos "
           "(por omisión, ./calendar.mdb)\n"
           "  tarvelo-db export-ics CARPETA ARCHIVO\n"
           "                                escribe los días y las notitas en un archivo "
           "iCalendar\n"
           "  tarvelo-db import-ics CARPETA ARCHIVO [--festivos] [--desde FECHA --hasta FECHA]\n"
           "                                trae los eventos de un archivo iCalendar; "
           "--festivos marca\n"
           "                                todos como festivos; FECHA es dd/mm/aaaa (por "
           "omisión, los\n"
           "                                eventos repetidos se toman desde el año del "
           "primer evento\n"
           "                                suelto hasta el año que viene)\n"
           "  tarvelo-db sync-setup CARPETA URL [--usuario NOMBRE] [--con-eventos-ajenos]\n"
           "                                une el calendario de CARPETA con un servidor de "
           "calendarios\n"
           "                                (CalDAV); la contraseña se toma de "
           "TARVELO_CONTRASENA o de la\n"
           "                                entrada, y se guarda en el llavero del escritorio;\n"
           "                                URL puede ser la de un calendario; uno con eventos de "
           "otros\n"
           "                                programas solo se toma con --con-eventos-ajenos\n"
           "  tarvelo-db sync CARPETA [--subir-de-nuevo | --vaciar-aqui | --crear-de-nuevo]\n"
           "                                sincroniza con el servidor; si su calendario está "
           "vacío,\n"
           "                                --subir-de-nuevo sube de nuevo todo y --vaciar-aqui "
           "vacía\n"
           "                                también este equipo; si ya no está, "
           "--crear-de-nuevo lo crea\n"
           "                                donde estaba y le sube todo\n"
           "  tarvelo-db import-mdb ANTERIOR.mdb CARPETA\n"
           "                                crea en CARPETA un calendar.mdb con todo lo del "
           "calendario\n"
           "                                de la versión anterior (Access) ANTERIOR.mdb\n";
    return 2;
}

// A usage mistake: said, then the usage.
int misused(QTextStream& err, const QString& why)
{
    err << "tarvelo-db: " << why << "\n";
    return usage(err);
}

std::optional<QDate> dayOf(const QString& text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("d/M/yyyy"));
    if (!date.isValid() || text.section(u'/', 2).size() != 4)
        return std::nullopt;
    return date;
}

#ifndef TARVELO_DATA_DIR
#error "TARVELO_DATA_DIR names the installed data folder; the tool's CMakeLists defines it"
#endif

// The files a data folder keeps beside its store: the help and the alarm's sound. They are
// looked for beside the tool (a build tree) and in the installed data folder.
void copyDataFiles(const QDir& folder, QTextStream& out)
{
    const QStringList sources{QCoreApplication::applicationDirPath(),
                              QStringLiteral(TARVELO_DATA_DIR)};
    for (const char* file : {"Tarvelo.HLP", "alarma.wav"}) {
        const QString name = QString::fromLatin1(file);
        const QString target = folder.filePath(name);
        if (QFileInfo::exists(target))
            continue; // a file the user put there is kept
        for (const QString& source : sources) {
            const QString from = QDir(source).filePath(name);
            if (!QFileInfo(from).isFile())
                continue;
            if (QFile::copy(from, target))
                out << "Copiado " << QDir::toNativeSeparators(target) << "\n";
            else
                out << "No se ha podido copiar " << name << " en "
                    << QDir::toNativeSeparators(folder.absolutePath()) << "\n";
            break;
        }
    }
}

int create(const QString& folder, bool offerOlder, QTextStream& out)
{
    const QDir dir(folder);
    if (!dir.exists())
        throw StoreError(
            QStringLiteral("No existe la carpeta «%1».").arg(QDir::toNativeSeparators(folder)));
    const QString path = CalendarStore::pathIn(dir.absolutePath());
    Database::create(path);
    if (offerOlder)
        FirstStartMark::set(*Database::open(path));
    out << "Creado " << QDir::toNativeSeparators(path) << "\n";
    copyDataFiles(dir, out);
    return 0;
}

int check(const QString& path, QTextStream& out)
{
    const auto db = Database::open(path, Database::Access::ReadOnly);
    const StoreSummary summary = StoreSummary::of(*db);
    if (summary.verdict != QLatin1String("ok")) {
        const QStringList problems = summary.verdict.split(QLatin1Char('\n'));
        const bool indexes = std::all_of(problems.begin(), problems.end(), [](const QString& p) {
            return p.contains(QLatin1String(" index "));
        });
        // SQLite's own lines are English: they follow the message, for whoever mends the file.
        throw StoreError(QStringLiteral("El archivo «%1» está dañado: %2 (%3 %4).")
                             .arg(QDir::toNativeSeparators(path),
                                  indexes ? QStringLiteral("sus índices no coinciden con las "
                                                           "tablas")
                                          : QStringLiteral("su estructura interna está rota"),
                                  QString::number(problems.size()),
                                  problems.size() == 1 ? QStringLiteral("problema")
                                                       : QStringLiteral("problemas")),
                         SQLITE_CORRUPT, summary.verdict);
    }
    out << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << ": correcto\n"
        << "  días guardados: " << summary.days << "\n"
        << "  días con nota:  " << summary.notedDays << "\n"
        << "  notitas:        " << summary.notitas << "\n";
    return 0;
}

int importMdb(const QString& oldFile, const QString& folder, QTextStream& out)
{
    const ConversionReport report = MdbImport::importInto(oldFile, folder);
    const QString path = CalendarStore::pathIn(QDir(folder).absolutePath());
    out << "Creado " << QDir::toNativeSeparators(path) << "\n" << report.text();
    copyDataFiles(QDir(folder), out);
    return 0;
}

int exportIcs(const QString& folder, const QString& file, QTextStream& out)
{
    // Exporting only reads: a store that may not be written (a folder of someone else's, a disk
    // mounted read-only) exports too, its notitas' identities then not kept.
    std::unique_ptr<CalendarStore> store;
    try {
        store = CalendarStore::open(folder);
    } catch (const StoreError& error) {
        if ((error.code() & 0xff) != SQLITE_READONLY)
            throw;
        store = CalendarStore::open(folder, Database::Access::ReadOnly);
    }
    out << IcsExporter::exportFile(*store, file).text();
    return 0;
}

int importIcs(const QStringList& args, QTextStream& out, QTextStream& err)
{
    // args: FOLDER FILE and the options, in any order after the two.
    if (args.size() < 2)
        return misused(err, QStringLiteral("import-ics necesita CARPETA y ARCHIVO."));
    ImportOptions options;
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& option = args[i];
        if (option == QLatin1String("--festivos")) {
            options.everyEventIsHoliday = true;
        } else if (option == QLatin1String("--desde") || option == QLatin1String("--hasta")) {
            if (i + 1 >= args.size())
                return misused(err, QStringLiteral("Falta la fecha tras %1.").arg(option));
            const std::optional<QDate> date = dayOf(args[++i]);
            if (!date) {
                return misused(err,
                               QStringLiteral("«%1» no es una fecha dd/mm/aaaa.").arg(args[i]));
            }
            (option == QLatin1String("--desde") ? options.from : options.to) = *date;
        } else {
            return misused(err, QStringLiteral("Opción desconocida: «%1».").arg(option));
        }
    }
    if (options.from.isValid() != options.to.isValid())
        return misused(err, QStringLiteral("--desde y --hasta van juntas."));
    if (options.hasRange() && options.from > options.to)
        return misused(err, QStringLiteral("--desde es posterior a --hasta."));
    const auto store = CalendarStore::open(args[0]);
    out << IcsImporter::importFile(*store, args[1], options).text(std::numeric_limits<int>::max());
    return 0;
}

// The environment's name for the password: never a command-line argument, which any user of
// the machine can read.
const char* const kPasswordVariable = "TARVELO_CONTRASENA";

// The password from the environment, else a line of standard input (not echoed on a terminal).
std::optional<QString> givenPassword(QTextStream& err)
{
    if (qEnvironmentVariableIsSet(kPasswordVariable))
        return qEnvironmentVariable(kPasswordVariable);
    const bool terminal = isatty(STDIN_FILENO) != 0;
    termios before{};
    if (terminal) {
        err << "Contraseña: " << Qt::flush;
        tcgetattr(STDIN_FILENO, &before);
        termios quiet = before;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    QTextStream in(stdin);
    QString line;
    const bool read = in.readLineInto(&line);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &before);
        err << "\n";
    }
    if (!read)
        return std::nullopt;
    return line;
}

int syncSetup(QStringList args, QTextStream& out, QTextStream& err)
{
    // Another program's events in the calendar are taken into their days only when asked.
    const bool takeOthers = args.removeAll(QStringLiteral("--con-eventos-ajenos")) > 0;
    if (args.size() != 2 && !(args.size() == 4 && args[2] == QLatin1String("--usuario")))
        return misused(err, QStringLiteral("sync-setup necesita CARPETA y URL, y quizá "
                                           "--usuario NOMBRE y --con-eventos-ajenos."));
    const QUrl server = DavClient::addressFrom(args[1]);
    DavClient::checkAddress(server);
    const QString user = args.size() == 4 ? args[3] : qEnvironmentVariable("USER");
    if (user.isEmpty())
        return misused(err, QStringLiteral("Falta el usuario: --usuario NOMBRE."));
    const auto store = CalendarStore::open(args[0]);
    const std::optional<QString> password = givenPassword(err);
    if (!password) {
        throw SyncError(QStringLiteral("Falta la contraseña: en %1 o en la entrada estándar.")
                            .arg(QString::fromLatin1(kPasswordVariable)));
    }
    DavClient client(server, user, *password);
    const CalendarSync::Calendar found = CalendarSync::choose(client, server);
    // The calendar the store syncs with already brings its other programs' events anyway.
    const std::optional<CalendarSync::Account> before = CalendarSync::account(*store);
    const bool already = before && CalendarSync::samePlace(before->calendar, found.url);
    if (!found.url.isEmpty() && !takeOthers && !already) {
        if (const int others = CalendarSync::othersEvents(client, found.url); others > 0) {
            throw SyncError(
                QStringLiteral("El calendario «%1» ya tiene %2 de otros programas: Tarvelo "
                               "llevaría cada uno a la nota de su día (con su hora, si la tiene) "
                               "y lo sustituiría por el evento del día. No se ha cambiado nada. "
                               "Para usarlo así, añada --con-eventos-ajenos; o dé la dirección "
                               "de otro calendario.")
                    .arg(found.name, others == 1 ? QStringLiteral("1 evento")
                                                 : QStringLiteral("%1 eventos").arg(others)),
                SyncError::Kind::Setup);
        }
    }
    const QUrl calendar = CalendarSync::setUp(*store, client, server, user, found.url);
    out << "Calendario en el servidor: «" << found.name << "», " << calendar.toString() << "\n";
    QString failure = QStringLiteral("no se ha consultado");
    if (PasswordKeyring::wanted() &&
        PasswordKeyring::store(PasswordKeyring::entry(user, server), *password, failure))
        out << "La contraseña queda guardada en el llavero del escritorio.\n";
    else
        out << "La contraseña no se ha guardado (llavero del escritorio: " << failure
            << "); tarvelo-db sync la tomará de " << kPasswordVariable << ".\n";
    return 0;
}

int sync(const QString& folder, CalendarSync::WhenEmptied whenEmptied, bool makeAgain,
         QTextStream& out)
{
    const auto store = CalendarStore::open(folder);
    const std::optional<CalendarSync::Account> account = CalendarSync::account(*store);
    if (!account) {
        throw SyncError(QStringLiteral("El calendario de «%1» no tiene servidor: use antes "
                                       "tarvelo-db sync-setup.")
                            .arg(QDir::toNativeSeparators(folder)));
    }
    std::optional<QString> password;
    if (PasswordKeyring::wanted())
        password = PasswordKeyring::read(PasswordKeyring::entry(account->user, account->server));
    if (!password && qEnvironmentVariableIsSet(kPasswordVariable))
        password = qEnvironmentVariable(kPasswordVariable);
    if (!password) {
        throw SyncError(QStringLiteral("No hay contraseña para «%1» en el llavero del escritorio "
                                       "ni en %2.")
                            .arg(account->user, QString::fromLatin1(kPasswordVariable)));
    }
    DavClient client(account->server, account->user, *password);
    out << CalendarSync(*store, client).run(whenEmptied, makeAgain).text();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(err);
    try {
        if (args[0] == QLatin1String("export-ics")) {
            if (args.size() != 3)
                return misused(err, QStringLiteral("export-ics necesita CARPETA y ARCHIVO."));
            return exportIcs(args[1], args[2], out);
        }
        if (args[0] == QLatin1String("import-ics"))
            return importIcs(args.mid(1), out, err);
        if (args[0] == QLatin1String("sync-setup"))
            return syncSetup(args.mid(1), out, err);
        if (args[0] == QLatin1String("sync")) {
            CalendarSync::WhenEmptied whenEmptied = CalendarSync::WhenEmptied::Refuse;
            bool makeAgain = false;
            const QString option = args.value(2);
            if (option == QLatin1String("--subir-de-nuevo"))
                whenEmptied = CalendarSync::WhenEmptied::SendAgain;
            else if (option == QLatin1String("--vaciar-aqui"))
                whenEmptied = CalendarSync::WhenEmptied::EmptyHere;
            else if (option == QLatin1String("--crear-de-nuevo"))
                makeAgain = true;
            if (args.size() < 2 || args.size() > 3 ||
                (args.size() == 3 && !makeAgain &&
                 whenEmptied == CalendarSync::WhenEmptied::Refuse)) {
                return misused(err, QStringLiteral("sync necesita CARPETA, y quizá "
                                                   "--subir-de-nuevo, --vaciar-aqui o "
                                                   "--crear-de-nuevo."));
            }
            return sync(args[1], whenEmptied, makeAgain, out);
        }
        if (args[0] == QLatin1String("import-mdb")) {
            if (args.size() != 3)
                return misused(err, QStringLiteral("import-mdb necesita ANTERIOR.mdb y CARPETA."));
            return importMdb(args[1], args[2], out);
        }
        if (args[0] == QLatin1String("create")) {
            QStringList rest = args.mid(1);
            const bool offerOlder = rest.removeAll(QStringLiteral("--ofrecer-anterior")) > 0;
            if (rest.size() > 1)
                return usage(err);
            return create(rest.value(0, QStringLiteral(".")), offerOlder, out);
        }
        if (args.size() > 2)
            return usage(err);
        if (args[0] == QLatin1String("check"))
            return check(args.value(1, QString::fromLatin1(CalendarStore::kFileName)), out);
    } catch (const StoreError& error) {
        err << "tarvelo-db: " << error.message() << "\n";
        if ((error.code() & 0xff) == SQLITE_CORRUPT && !error.detail().isEmpty())
            err << "Detalle de SQLite:\n" << error.detail() << "\n";
        return 1;
    } catch (const IcsError& error) {
        err << "tarvelo-db: " << error.message() << "\n";
        return 1;
    } catch (const SyncError& error) {
        err << "tarvelo-db: " << error.message() << "\n";
        if (error.kind() == SyncError::Kind::CalendarEmptied) {
            // Nothing was changed: the user says which way it goes.
            err << "No se ha cambiado nada. Para subir de nuevo todo lo de este equipo al "
                   "calendario del servidor:\n    tarvelo-db sync CARPETA --subir-de-nuevo\n"
                   "Si se vació a propósito, para vaciar también este equipo (lo cambiado aquí "
                   "desde la última sincronización se queda y se sube):\n"
                   "    tarvelo-db sync CARPETA --vaciar-aqui\n";
        }
        if (error.kind() == SyncError::Kind::CalendarGone) {
            err << "Para crearlo de nuevo donde estaba y subirle todo lo de este equipo:\n"
                   "    tarvelo-db sync CARPETA --crear-de-nuevo\n";
        }
        return 1;
    } catch (const MdbError& error) {
        err << "tarvelo-db: " << error.message() << "\n";
        return 1;
    }
    return usage(err);
}
