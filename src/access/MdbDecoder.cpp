#include "access/MdbDecoder.h"

#include "access/MdbError.h"
#include "access/MdbWire.h"

#include <cstring>

namespace {

quint32 u32(const char* p)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(p[i]);
    return v;
}

quint64 u64(const char* p)
{
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | quint8(p[i]);
    return v;
}

int columnsOf(quint8 id)
{
    return id == MdbWire::Calendar ? MdbWire::kCalendarColumns : MdbWire::kNotaColumns;
}

QString causeText(quint8 cause)
{
    switch (cause) {
    case MdbWire::CannotOpen:
        return QStringLiteral("no es un archivo de Access que se pueda leer");
    case MdbWire::NoCatalog:
        return QStringLiteral("su lista de tablas no se puede leer: está dañado o cifrado");
    case MdbWire::BadTable:
        return QStringLiteral("la descripción de una tabla está dañada");
    case MdbWire::BadRow:
        return QStringLiteral("tiene filas dañadas");
    case MdbWire::TooLong:
        return QStringLiteral("guarda un texto más largo de lo que Tarvelo admite");
    default:
        return QStringLiteral("no se ha podido leer");
    }
}

} // namespace

MdbDecoder::MdbDecoder(const QString& file) : file_(file) {}

void MdbDecoder::damaged(const QString& why) const
{
    throw MdbError(QStringLiteral("No se ha podido leer el archivo «%1»: %2.").arg(file_, why));
}

MdbTable& MdbDecoder::table(quint8 id)
{
    return id == MdbWire::Calendar ? contents_.calendar : contents_.nota;
}

void MdbDecoder::feed(const QByteArray& bytes)
{
    if (ended_ && !bytes.isEmpty())
        damaged(QStringLiteral("la lectura siguió tras su final"));
    total_ += bytes.size();
    if (total_ > kMaxBytes)
        damaged(QStringLiteral("da más datos de los que un calendario puede tener"));
    pending_.append(bytes);
    if (!headerRead_) {
        if (pending_.size() < 5)
            return;
        if (std::memcmp(pending_.constData(), MdbWire::kMagic, 4) != 0 ||
            quint8(pending_[4]) != MdbWire::kVersion)
            damaged(QStringLiteral("el lector de archivos de Access respondió algo que no se "
                                   "entiende"));
        headerRead_ = true;
        offset_ = 5;
    }
    while (takeRecord()) {
    }
    // What was taken is dropped now and then, not at every record.
    if (offset_ > (1 << 20)) {
        pending_.remove(0, offset_);
        offset_ = 0;
    }
}

bool MdbDecoder::takeRecord()
{
    const qsizetype available = pending_.size() - offset_;
    if (available < 5)
        return false;
    const char* p = pending_.constData() + offset_;
    const quint32 size = u32(p + 1);
    if (size > MdbWire::kMaxRecord)
        damaged(QStringLiteral("el lector dio un registro demasiado largo"));
    if (available < 5 + qsizetype(size))
        return false;
    const quint8 kind = quint8(p[0]);
    const char* payload = p + 5;
    offset_ += 5 + qsizetype(size);
    if (ended_)
        damaged(QStringLiteral("la lectura siguió tras su final"));
    switch (kind) {
    case MdbWire::Format:
        if (size != 1 || contents_.jetVersion != -1 || tablesSeen_ != 0)
            damaged(QStringLiteral("el lector dio el formato fuera de lugar"));
        contents_.jetVersion = quint8(payload[0]);
        break;
    case MdbWire::Table:
        decodeTable(payload, size);
        break;
    case MdbWire::Row:
        decodeRow(payload, size);
        break;
    case MdbWire::Failure: {
        const QString words =
            size > 1 ? QString::fromUtf8(payload + 1, qsizetype(size) - 1) : QString();
        const QString cause = causeText(size > 0 ? quint8(payload[0]) : 0);
        damaged(words.isEmpty() ? cause : QStringLiteral("%1 (%2)").arg(cause, words));
    }
    case MdbWire::End:
        if (size != 0 || tablesSeen_ != 2)
            damaged(QStringLiteral("el lector terminó antes de leer todas las tablas"));
        ended_ = true;
        break;
    default:
        damaged(QStringLiteral("el lector dio un registro desconocido"));
    }
    return true;
}

void MdbDecoder::decodeTable(const char* p, qsizetype size)
{
    // The calendar first, then Nota, each once.
    if (size < 2 || quint8(p[0]) != tablesSeen_ || contents_.jetVersion == -1)
        damaged(QStringLiteral("el lector dio las tablas fuera de orden"));
    const quint8 id = quint8(p[0]);
    MdbTable& t = table(id);
    t.found = p[1] != 0;
    const int columns = columnsOf(id);
    if (t.found ? size != 2 + columns : size != 2)
        damaged(QStringLiteral("el lector describió mal una tabla"));
    t.columns.assign(size_t(columns), false);
    for (int c = 0; t.found && c < columns; ++c)
        t.columns[size_t(c)] = p[2 + c] != 0;
    ++tablesSeen_;
}

void MdbDecoder::decodeRow(const char* p, qsizetype size)
{
    if (size < 1 || tablesSeen_ == 0 || quint8(p[0]) != tablesSeen_ - 1)
        damaged(QStringLiteral("el lector dio una fila fuera de su tabla"));
    MdbTable& t = table(quint8(p[0]));
    if (!t.found)
        damaged(QStringLiteral("el lector dio una fila de una tabla que no existe"));
    if (++rows_ > kMaxRows)
        damaged(QStringLiteral("tiene más filas de las que un calendario puede tener"));
    std::vector<MdbValue> row(t.columns.size());
    qsizetype at = 1;
    auto need = [&](qsizetype n) {
        if (size - at < n)
            damaged(QStringLiteral("el lector dio una fila cortada"));
    };
    for (size_t c = 0; c < t.columns.size(); ++c) {
        if (!t.columns[c])
            continue; // Absent
        need(1);
        MdbValue& v = row[c];
        switch (quint8(p[at++])) {
        case MdbWire::Null:
            v.kind = MdbValue::Kind::Null;
            break;
        case MdbWire::Number: {
            need(8);
            const quint64 bits = u64(p + at);
            std::memcpy(&v.number, &bits, 8);
            v.kind = MdbValue::Kind::Number;
            at += 8;
            break;
        }
        case MdbWire::Integer:
            need(8);
            v.integer = qint64(u64(p + at));
            v.kind = MdbValue::Kind::Integer;
            at += 8;
            break;
        case MdbWire::Text: {
            need(4);
            const quint32 length = u32(p + at);
            at += 4;
            need(qsizetype(length));
            v.text = QString::fromUtf8(p + at, qsizetype(length));
            v.kind = MdbValue::Kind::Text;
            at += qsizetype(length);
            break;
        }
        case MdbWire::Boolean:
            need(1);
            if (quint8(p[at]) > 1)
                damaged(QStringLiteral("el lector dio un sí/no que no es ni sí ni no"));
            v.boolean = p[at] != 0;
            v.kind = MdbValue::Kind::Boolean;
            at += 1;
            break;
        case MdbWire::Unsupported:
            need(1);
            v.accessType = quint8(p[at]);
            v.kind = MdbValue::Kind::Unsupported;
            at += 1;
            break;
        default:
            damaged(QStringLiteral("el lector dio un valor de clase desconocida"));
        }
    }
    if (at != size)
        damaged(QStringLiteral("el lector dio una fila con campos de más"));
    t.rows.push_back(std::move(row));
}

MdbContents MdbDecoder::finish()
{
    if (!ended_)
        damaged(QStringLiteral("la lectura se interrumpió antes de su final"));
    if (offset_ != pending_.size())
        damaged(QStringLiteral("la lectura siguió tras su final"));
    return std::move(contents_);
}
