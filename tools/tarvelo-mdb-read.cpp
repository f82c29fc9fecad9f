// tarvelo-mdb-read FILE: reads the calendar tables of an Access (Jet 3 or Jet 4) file with
// mdbtools and writes their rows to standard output as typed values (access/MdbWire.h). It runs
// as a process of its own, under the time and memory limits its parent sets, because the
// library was not written for damaged files: whatever it does to this process, the program that
// asked only reads a stream it checks.

#include "access/MdbWire.h"

// glib first: mdbtools.h includes it inside extern "C", where its C++ templates cannot be.
#include <glib.h>
#include <mdbtools.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Exported by libmdb 1.0 but left out of its header: the fields of the row at row_start.
extern "C" int mdb_crack_row(MdbTableDef* table, int row_start, size_t row_size, MdbField* fields);

namespace {

constexpr int kOffsetMask = 0x1fff;

class Output
{
public:
    ~Output() { flush(); }

    void record(MdbWire::Record kind, const std::string& payload)
    {
        buffer_.push_back(char(kind));
        putU32(buffer_, std::uint32_t(payload.size()));
        buffer_ += payload;
        if (buffer_.size() > (1u << 20))
            flush();
    }
    void raw(const char* bytes, size_t size) { buffer_.append(bytes, size); }

    void flush()
    {
        size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t n = ::write(1, buffer_.data() + done, buffer_.size() - done);
            if (n <= 0)
                _exit(3); // the parent is gone: nobody to tell
            done += size_t(n);
        }
        buffer_.clear();
    }

    static void putU32(std::string& out, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(char((value >> (8 * i)) & 0xff));
    }
    static void putU64(std::string& out, std::uint64_t value)
    {
        for (int i = 0; i < 8; ++i)
            out.push_back(char((value >> (8 * i)) & 0xff));
    }

private:
    std::string buffer_;
};

[[noreturn]] void fail(Output& out, MdbWire::Cause cause, const std::string& words)
{
    std::string payload(1, char(cause));
    payload += words;
    out.record(MdbWire::Failure, payload);
    out.flush();
    _exit(0);
}

std::uint64_t bytesLE(const unsigned char* p, int size)
{
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// The field's value as the wire carries it, appended to out.
void putValue(Output& sink, std::string& out, MdbHandle* mdb, MdbColumn* col, const MdbField& f)
{
    const int type = col->col_type;
    if (type == MDB_BOOL) {
        // A yes/no field keeps its value in the row's null mask: a clear bit is No.
        out.push_back(char(MdbWire::Boolean));
        out.push_back(char(f.is_null ? 0 : 1));
        return;
    }
    if (f.is_null) {
        out.push_back(char(MdbWire::Null));
        return;
    }
    const int pageSize = int(mdb->fmt->pg_size);
    if (f.start < 0 || f.siz < 0 || f.start + f.siz > pageSize)
        fail(sink, MdbWire::BadRow, "un campo sale de su página");
    const unsigned char* p = mdb->pg_buf + f.start;
    auto integer = [&](int width) {
        if (f.siz < width)
            fail(sink, MdbWire::BadRow, "un campo numérico es más corto que su tipo");
        std::uint64_t v = bytesLE(p, width);
        if (width < 8 && (v >> (8 * width - 1)) & 1 && type != MDB_BYTE)
            v |= ~std::uint64_t(0) << (8 * width); // sign
        out.push_back(char(MdbWire::Integer));
        Output::putU64(out, v);
    };
    auto number = [&](int width) {
        if (f.siz < width)
            fail(sink, MdbWire::BadRow, "un campo numérico es más corto que su tipo");
        double d = 0;
        if (width == 8) {
            const std::uint64_t bits = bytesLE(p, 8);
            std::memcpy(&d, &bits, 8);
        } else {
            const std::uint32_t bits = std::uint32_t(bytesLE(p, 4));
            float s = 0;
            std::memcpy(&s, &bits, 4);
            d = double(s);
        }
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, 8);
        out.push_back(char(MdbWire::Number));
        Output::putU64(out, bits);
    };
    switch (type) {
    case MDB_BYTE:
        integer(1);
        return;
    case MDB_INT:
        integer(2);
        return;
    case MDB_LONGINT:
        integer(4);
        return;
    case MDB_FLOAT:
        number(4);
        return;
    case MDB_DOUBLE:
    case MDB_DATETIME:
        number(8);
        return;
    case MDB_TEXT:
    case MDB_MEMO: {
        // The library converts into a buffer of the bind size: one large enough for the whole
        // text (two bytes of UTF-8 for every byte stored, at most), so that nothing is cut.
        size_t stored = size_t(f.siz);
        if (type == MDB_MEMO && f.siz >= 4)
            stored = size_t(bytesLE(p, 4) & 0x3fffffff);
        const size_t need = 2 * stored + 16;
        if (need > MdbWire::kMaxRecord)
            fail(sink, MdbWire::TooLong, "un texto es más largo de lo que Tarvelo admite");
        mdb_set_bind_size(mdb, need < 4096 ? 4096 : need);
        char* text = mdb_col_to_string(mdb, mdb->pg_buf, f.start, type, f.siz);
        const size_t size = text ? std::strlen(text) : 0;
        out.push_back(char(MdbWire::Text));
        Output::putU32(out, std::uint32_t(size));
        out.append(text ? text : "", size);
        g_free(text);
        return;
    }
    default:
        out.push_back(char(MdbWire::Unsupported));
        out.push_back(char(type & 0xff));
        return;
    }
}

void readTable(Output& out, MdbHandle* mdb, MdbWire::TableId id, const char* name,
               const char* const* wanted, int wantedCount)
{
    MdbCatalogEntry* entry = nullptr;
    for (unsigned i = 0; mdb->catalog && i < mdb->catalog->len; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && g_ascii_strcasecmp(e->object_name, name) == 0) {
            entry = e;
            break;
        }
    }
    std::string head(1, char(id));
    if (!entry) {
        head.push_back(0);
        out.record(MdbWire::Table, head);
        return;
    }
    MdbTableDef* table = mdb_read_table(entry);
    if (!table || !mdb_read_columns(table))
        fail(out, MdbWire::BadTable, std::string("no se puede leer la tabla ") + name);
    if (table->num_cols > 256)
        fail(out, MdbWire::BadTable, std::string("la tabla ") + name + " tiene demasiados campos");
    // For each wanted column, its place among the table's columns (-1: missing).
    std::vector<int> place(size_t(wantedCount), -1);
    head.push_back(1);
    for (int w = 0; w < wantedCount; ++w) {
        for (unsigned c = 0; c < table->num_cols; ++c) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            if (g_ascii_strcasecmp(col->name, wanted[w]) == 0) {
                place[size_t(w)] = int(c);
                break;
            }
        }
        head.push_back(place[size_t(w)] >= 0 ? 1 : 0);
    }
    out.record(MdbWire::Table, head);

    mdb_rewind_table(table);
    std::vector<MdbField> fields(256);
    std::string row;
    unsigned long read = 0;
    while (mdb_fetch_row(table)) {
        ++read;
        // The row just read, cracked again for what the bound values do not tell apart: a Null
        // from an empty text.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0 || size == 0)
            fail(out, MdbWire::BadRow, std::string("una fila de ") + name + " no se puede leer");
        start &= kOffsetMask;
        if (size_t(start) + size > size_t(mdb->fmt->pg_size))
            fail(out, MdbWire::BadRow, std::string("una fila de ") + name + " sale de su página");
        const int count = mdb_crack_row(table, start, size, fields.data());
        if (count < 0)
            fail(out, MdbWire::BadRow, std::string("una fila de ") + name + " está dañada");
        row.assign(1, char(id));
        for (int w = 0; w < wantedCount; ++w) {
            const int c = place[size_t(w)];
            if (c < 0)
                continue;
            // fields[] follows the columns' order in the row, colnum names the column.
            const MdbField* field = nullptr;
            for (unsigned i = 0; i < table->num_cols; ++i) {
                if (fields[i].colnum == c) {
                    field = &fields[i];
                    break;
                }
            }
            if (!field)
                fail(out, MdbWire::BadRow,
                     std::string("a una fila de ") + name + " le falta un campo");
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, unsigned(c)));
            putValue(out, row, mdb, col, *field);
        }
        if (row.size() > MdbWire::kMaxRecord)
            fail(out, MdbWire::TooLong, "una fila es más larga de lo que Tarvelo admite");
        out.record(MdbWire::Row, row);
    }
    // The library ends a table quietly at a page it cannot read (a truncated or damaged file):
    // the table's own count of its rows tells such an end from the real one.
    if (read != table->num_rows)
        fail(out, MdbWire::BadRow,
             std::string("la tabla ") + name + " dice tener " + std::to_string(table->num_rows) +
                 " filas y solo se han podido leer " + std::to_string(read));
    mdb_free_tabledef(table);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: tarvelo-mdb-read ARCHIVO\n");
        return 2;
    }
    Output out;
    out.raw(MdbWire::kMagic, sizeof MdbWire::kMagic);
    out.raw(reinterpret_cast<const char*>(&MdbWire::kVersion), 1);
    MdbHandle* mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb)
        fail(out, MdbWire::CannotOpen, "la biblioteca no lo reconoce como archivo de Access");
    out.record(MdbWire::Format, std::string(1, char(mdb->f->jet_version & 0xff)));
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        fail(out, MdbWire::NoCatalog, "no se puede leer su lista de tablas");
    readTable(out, mdb, MdbWire::Calendar, "calendar", MdbWire::kCalendarColumn,
              MdbWire::kCalendarColumns);
    readTable(out, mdb, MdbWire::Nota, "Nota", MdbWire::kNotaColumn, MdbWire::kNotaColumns);
    out.record(MdbWire::End, {});
    out.flush();
    mdb_close(mdb);
    return 0;
}
