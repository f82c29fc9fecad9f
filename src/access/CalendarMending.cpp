#include "access/CalendarMending.h"

#include "access/MdbError.h"
#include "access/MdbWire.h"
#include "store/domain/DayBook.h"
#include "store/domain/DayColour.h"
#include "store/domain/TextMerge.h"
#include "store/jet/DatePattern.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <set>

namespace {

using Kind = MdbValue::Kind;

enum CalendarColumn
{
    Fecha,
    Nota,
    Festivo,
    Alarma,
    Hora,
    Color
};

enum NotaColumn
{
    Indice,
    Texto,
    Top,
    Left
};

// A row of calendar read, before the rows of one day are joined.
struct ReadDay
{
    double fecha = 0;
    qsizetype order = 0; // the row's place in its table, from 1
    DayRecord record;
};

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString shownNote(const QString& note)
{
    constexpr qsizetype kShown = 40;
    QString text = note;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), u' ');
    return text.size() > kShown ? text.left(kShown) + QStringLiteral("…") : text;
}

std::optional<double> numberOf(const MdbValue& v)
{
    switch (v.kind) {
    case Kind::Number:
        return v.number;
    case Kind::Integer:
        return double(v.integer);
    case Kind::Boolean:
        return v.boolean ? -1.0 : 0.0; // Access's True
    default:
        return std::nullopt;
    }
}

QString textOf(const MdbValue& v)
{
    switch (v.kind) {
    case Kind::Number:
        return QString::number(v.number, 'g', 17);
    case Kind::Integer:
        return QString::number(v.integer);
    case Kind::Boolean:
        return v.boolean ? QStringLiteral("Sí") : QStringLiteral("No");
    default:
        return v.text;
    }
}

class Mender
{
public:
    Mender(const MdbContents& contents, const QString& file) : contents_(contents), file_(file) {}

    CalendarMending::Result run()
    {
        requireTables();
        CalendarMending::Result result;
        result.report.file = file_;
        result.report.format = contents_.jetVersion == 0 ? QStringLiteral("Jet 3, Access 97")
                                                         : QStringLiteral("Jet 4, Access 2000");
        changes_ = &result.report.changes;
        result.days = days();
        result.notitas = notitas();
        for (const DayRecord& day : result.days) {
            result.report.notes += day.note && DayBook::isNote(*day.note) ? 1 : 0;
            result.report.holidays += day.holiday ? 1 : 0;
            result.report.alarms += day.alarmOn ? 1 : 0;
        }
        result.report.days = int(result.days.size());
        result.report.notitas = int(result.notitas.size());
        return result;
    }

private:
    [[noreturn]] void refuse(const QString& why) const
    {
        throw MdbError(
            QStringLiteral("El archivo «%1» no se puede convertir: %2.").arg(file_, why));
    }

    void requireTables() const
    {
        QStringList missing;
        if (!contents_.calendar.found)
            missing << QStringLiteral("la tabla «calendar»");
        if (!contents_.nota.found)
            missing << QStringLiteral("la tabla «Nota»");
        for (const int c : {Fecha, Nota}) {
            if (contents_.calendar.found && !contents_.calendar.columns[size_t(c)])
                missing << QStringLiteral("el campo «%1» de la tabla «calendar»")
                               .arg(QLatin1String(MdbWire::kCalendarColumn[c]));
        }
        if (!missing.isEmpty())
            refuse(QStringLiteral("le falta %1; no es un calendario de la versión anterior")
                       .arg(missing.join(QStringLiteral(" y "))));
        checkTypes(contents_.calendar, QStringLiteral("calendar"), MdbWire::kCalendarColumn);
        checkTypes(contents_.nota, QStringLiteral("Nota"), MdbWire::kNotaColumn);
    }

    void checkTypes(const MdbTable& table, const QString& name, const char* const* columns) const
    {
        for (const auto& row : table.rows) {
            for (size_t c = 0; c < row.size(); ++c) {
                if (row[c].kind == Kind::Unsupported)
                    refuse(QStringLiteral("el campo «%1» de la tabla «%2» es de un tipo de Access "
                                          "que Tarvelo no lee (tipo %3)")
                               .arg(QLatin1String(columns[c]), name)
                               .arg(row[c].accessType));
            }
        }
    }

    void change(const QString& what) { changes_->append(what); }

    void absentColumn(const MdbTable& table, int column, const QString& tableName,
                      const QString& filled)
    {
        if (!table.columns[size_t(column)]) {
            const char* const* names =
                &table == &contents_.calendar ? MdbWire::kCalendarColumn : MdbWire::kNotaColumn;
            change(QStringLiteral("la tabla «%1» no tiene el campo «%2»: todas sus filas lo "
                                  "reciben %3")
                       .arg(tableName, QLatin1String(names[column]), filled));
        }
    }

    std::vector<DayRecord> days()
    {
        const MdbTable& table = contents_.calendar;
        const QString calendar = QStringLiteral("calendar");
        absentColumn(table, Festivo, calendar, QStringLiteral("como «no»"));
        absentColumn(table, Alarma, calendar, QStringLiteral("como «no»"));
        absentColumn(table, Hora, calendar, QStringLiteral("vacío"));
        absentColumn(
            table, Color, calendar,
            QStringLiteral("con el color gris (%1)").arg(DayColours::code(DayColours::kNeutral)));

        std::vector<ReadDay> read;
        read.reserve(table.rows.size());
        for (size_t i = 0; i < table.rows.size(); ++i) {
            std::optional<ReadDay> day = readDay(table.rows[i], qsizetype(i) + 1);
            if (day)
                read.push_back(std::move(*day));
        }
        // Date, then table order: the order the rows of one day are joined in.
        std::stable_sort(read.begin(), read.end(),
                         [](const ReadDay& a, const ReadDay& b) { return a.fecha < b.fecha; });
        std::stable_sort(read.begin(), read.end(), [](const ReadDay& a, const ReadDay& b) {
            return a.record.date < b.record.date;
        });
        std::vector<DayRecord> days;
        days.reserve(read.size());
        for (size_t i = 0; i < read.size();) {
            size_t end = i + 1;
            while (end < read.size() && read[end].record.date == read[i].record.date)
                ++end;
            days.push_back(end == i + 1 ? std::move(read[i].record) : joined(read, i, end));
            i = end;
        }
        return days;
    }

    std::optional<ReadDay> readDay(const std::vector<MdbValue>& row, qsizetype order)
    {
        const QString where = QStringLiteral("calendar, fila %1").arg(order);
        ReadDay day;
        day.order = order;
        const std::optional<double> fecha = numberOf(row[Fecha]);
        const QDate date = fecha && std::isfinite(*fecha) && std::fabs(*fecha) < 1e7
                               ? DatePattern::toDate(*fecha)
                               : QDate();
        if (!date.isValid() || !DatePattern::inRange(date.year())) {
            // No day to put it on: said whole, so that nothing goes unnoticed.
            change(QStringLiteral("%1: sin una fecha válida (%2), no se ha podido traer; su nota "
                                  "era «%3»")
                       .arg(where,
                            row[Fecha].kind == Kind::Null ? QStringLiteral("vacía")
                                                          : textOf(row[Fecha]),
                            shownNote(textOf(row[Nota]))));
            return std::nullopt;
        }
        day.fecha = *fecha;
        day.record.date = date;
        const QString at = QStringLiteral("%1 (%2)").arg(where, dayText(date));
        if (*fecha != std::trunc(*fecha))
            change(QStringLiteral("%1: la fecha llevaba la hora %2; queda como su día")
                       .arg(at, DatePattern::format(*fecha, QStringLiteral("hh:nn:ss"))));

        const MdbValue& nota = row[Nota];
        if (nota.kind == Kind::Text || nota.kind == Kind::Null) {
            if (nota.kind == Kind::Text)
                day.record.note = nota.text;
        } else {
            day.record.note = textOf(nota);
            change(QStringLiteral("%1: la nota era un número; queda como el texto «%2»")
                       .arg(at, *day.record.note));
        }
        if (day.record.note && day.record.note->contains(QChar::ReplacementCharacter))
            change(QStringLiteral("%1: la biblioteca de Access no ha podido leer algún carácter "
                                  "de la nota; queda como «%2»")
                       .arg(at, QString(QChar::ReplacementCharacter)));

        day.record.holiday = yesNo(row[Festivo], at, QStringLiteral("festivo"));
        day.record.alarmOn = yesNo(row[Alarma], at, QStringLiteral("alarma"));
        const MdbValue& hora = row[Hora];
        if (hora.kind != Kind::Absent && hora.kind != Kind::Null) {
            day.record.time = numberOf(hora);
            if (!day.record.time)
                change(QStringLiteral("%1: la hora «%2» no es una hora; queda vacía")
                           .arg(at, textOf(hora)));
        }
        const MdbValue& color = row[Color];
        if (color.kind == Kind::Absent) {
            day.record.colour = DayColours::code(DayColours::kNeutral);
        } else if (color.kind != Kind::Null) {
            const std::optional<double> code = numberOf(color);
            if (code && *code == std::trunc(*code) && std::fabs(*code) <= 2147483647.0) {
                day.record.colour = int(*code);
            } else {
                change(QStringLiteral("%1: el color «%2» no es un código; queda vacío")
                           .arg(at, textOf(color)));
            }
        }
        return day;
    }

    bool yesNo(const MdbValue& v, const QString& at, const QString& field)
    {
        if (v.kind == Kind::Absent)
            return false;
        if (v.kind == Kind::Null) {
            change(QStringLiteral("%1: «%2» estaba vacío; queda como «no»").arg(at, field));
            return false;
        }
        if (v.kind == Kind::Boolean)
            return v.boolean;
        const std::optional<double> n = numberOf(v);
        if (!n) {
            change(QStringLiteral("%1: «%2» no era sí ni no («%3»); queda como «no»")
                       .arg(at, field, textOf(v)));
            return false;
        }
        return *n != 0;
    }

    DayRecord joined(std::vector<ReadDay>& rows, size_t first, size_t end)
    {
        DayRecord day = rows[first].record;
        QStringList notes;
        bool anyText = false;
        QStringList orders;
        std::optional<double> alarmTime;
        for (size_t i = first; i < end; ++i) {
            const DayRecord& r = rows[i].record;
            orders << QString::number(rows[i].order);
            if (r.note) {
                anyText = true;
                if (!r.note->isEmpty())
                    notes << *r.note;
            }
            day.holiday = day.holiday || r.holiday;
            day.alarmOn = day.alarmOn || r.alarmOn;
            if (r.alarmOn && r.time && !alarmTime)
                alarmTime = r.time;
            if (!day.time)
                day.time = r.time;
            if (!day.colour)
                day.colour = r.colour;
        }
        if (alarmTime)
            day.time = alarmTime;
        day.note =
            anyText ? std::optional<QString>(notes.join(TextMerge::kSeparator)) : std::nullopt;
        change(QStringLiteral("%1: las filas %2 de calendar eran del mismo día; se han unido en "
                              "una (notas juntas con « · », festivo y alarma si alguna los tenía)")
                   .arg(dayText(day.date), orders.join(QStringLiteral(", "))));
        return day;
    }

    std::vector<NotitaRecord> notitas()
    {
        const MdbTable& table = contents_.nota;
        const QString nota = QStringLiteral("Nota");
        absentColumn(table, Indice, nota, QStringLiteral("numerado por orden"));
        absentColumn(table, Texto, nota, QStringLiteral("vacío"));
        absentColumn(table, Top, nota, QStringLiteral("como 0"));
        absentColumn(table, Left, nota, QStringLiteral("como 0"));

        std::vector<NotitaRecord> notitas;
        std::vector<size_t> unnumbered;
        std::set<qint64> taken;
        for (size_t i = 0; i < table.rows.size(); ++i) {
            const auto& row = table.rows[i];
            const QString at = QStringLiteral("Nota, fila %1").arg(i + 1);
            NotitaRecord notita;
            const std::optional<double> number = numberOf(row[Indice]);
            if (number && *number == std::trunc(*number) && *number >= 1 && *number < 9e15 &&
                taken.insert(qint64(*number)).second) {
                notita.number = qint64(*number);
            } else {
                unnumbered.push_back(notitas.size());
                if (row[Indice].kind != Kind::Absent)
                    change(QStringLiteral("%1: su «indice» («%2») falta o se repite; recibe uno "
                                          "nuevo")
                               .arg(at, textOf(row[Indice])));
            }
            if (row[Texto].kind == Kind::Text)
                notita.text = row[Texto].text;
            else if (row[Texto].kind != Kind::Null && row[Texto].kind != Kind::Absent)
                notita.text = textOf(row[Texto]);
            notita.top = place(row[Top], at, QStringLiteral("Top"));
            notita.left = place(row[Left], at, QStringLiteral("Left"));
            notitas.push_back(std::move(notita));
        }
        qint64 next = taken.empty() ? 1 : *taken.rbegin() + 1;
        for (const size_t i : unnumbered)
            notitas[i].number = next++;
        return notitas;
    }

    double place(const MdbValue& v, const QString& at, const QString& field)
    {
        if (v.kind == Kind::Absent)
            return 0;
        const std::optional<double> n = numberOf(v);
        if (n && std::isfinite(*n))
            return *n;
        change(QStringLiteral("%1: «%2» estaba vacío; queda como 0").arg(at, field));
        return 0;
    }

    const MdbContents& contents_;
    QString file_;
    QStringList* changes_ = nullptr;
};

} // namespace

CalendarMending::Result CalendarMending::mend(const MdbContents& contents, const QString& file)
{
    return Mender(contents, file).run();
}
