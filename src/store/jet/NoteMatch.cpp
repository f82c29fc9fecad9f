#include "store/jet/NoteMatch.h"

#include <QList>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string_view>

namespace {

// One code point in upper case as upperCase() maps it: a letter whose upper case would need
// a surrogate pair where it needs none (or the reverse) keeps its own.
char32_t upperOf(char32_t c)
{
    if (c < 0x80)
        return c >= U'a' && c <= U'z' ? c - 0x20 : c;
    const char32_t mapped = QChar::toUpper(c);
    return (c > 0xFFFF) == (mapped > 0xFFFF) ? mapped : c;
}

// Decodes well-formed UTF-8 into code points; false at the first byte that is not, so that
// such a note is compared the way QString reads it instead.
bool decode(std::string_view utf8, std::vector<char32_t>& points)
{
    points.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* end = p + utf8.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            points.push_back(lead);
            ++p;
            continue;
        }
        int length = 0;
        char32_t c = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (p[k] & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not well-formed.
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        points.push_back(c);
        p += length;
    }
    return true;
}

// Where an ASCII text occurs in a note whose letters are all ASCII or Latin-1 (every Spanish
// note), the note compared in upper case: such a note has no letter whose upper case is ASCII
// but itself, so the text can only meet the note's ASCII bytes, each compared in upper case.
// -1 when it does not occur; 0 or more, the byte where it starts; -2 when the note has other
// letters and must be compared the slow way.
qsizetype findUpperAscii(std::string_view note, std::string_view text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(note.data());
    const std::size_t size = note.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] >= 0xC4) // beyond U+00FF
            return -2;
    }
    const auto upper = [](unsigned char c) {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 0x20) : c;
    };
    if (text.empty())
        return 0;
    const auto* wanted = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i + text.size() <= size; ++i) {
        if (upper(bytes[i]) != wanted[0])
            continue;
        std::size_t k = 1;
        while (k < text.size() && upper(bytes[i + k]) == wanted[k])
            ++k;
        if (k == text.size())
            return qsizetype(i);
    }
    return -1;
}

int utf16Length(const char32_t* begin, const char32_t* end)
{
    int units = 0;
    for (const char32_t* p = begin; p != end; ++p)
        units += *p > 0xFFFF ? 2 : 1;
    return units;
}

// UTF-16 units in well-formed UTF-8: every lead byte is one, a four-byte one two.
int utf16Length(std::string_view utf8)
{
    int units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

void deleteMatch(void* match)
{
    delete static_cast<NoteMatch*>(match);
}

void posicion(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    // No C++ exception may unwind through SQLite's C frames.
    try {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            sqlite3_result_int(context, 0);
            return;
        }
        const auto* note = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        if (!note) {
            sqlite3_result_error_nomem(context);
            return;
        }
        const qsizetype bytes = sqlite3_value_bytes(argv[0]);
        const bool matchCase = sqlite3_value_int(argv[2]) != 0;
        // The text looked for stays the same row after row: it is prepared once.
        if (const auto* kept = static_cast<const NoteMatch*>(sqlite3_get_auxdata(context, 1));
            kept && kept->matchCase() == matchCase) {
            sqlite3_result_int(context, kept->positionInUtf8(note, bytes));
            return;
        }
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
        auto fresh = std::make_unique<NoteMatch>(
            QString::fromUtf8(text ? text : "", sqlite3_value_bytes(argv[1])), matchCase);
        sqlite3_result_int(context, fresh->positionInUtf8(note, bytes));
        // SQLite may free it at once: it is not touched after being handed over.
        sqlite3_set_auxdata(context, 1, fresh.release(), deleteMatch);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(context);
    } catch (...) {
        sqlite3_result_error(context, "tarvelo_posicion() failed", -1);
    }
}

} // namespace

NoteMatch::NoteMatch(QString text, bool matchCase)
    : text_(std::move(text)), matchCase_(matchCase), utf8_(text_.toUtf8())
{
    asciiText_ = std::all_of(utf8_.begin(), utf8_.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const QList<uint> points = text_.toUcs4();
    points_.assign(points.begin(), points.end());
}

QString NoteMatch::prepare(const QString& typed, bool matchCase)
{
    return matchCase ? typed : upperCase(typed);
}

QString NoteMatch::upperCase(const QString& text)
{
    QString upper = text.toUpper();
    if (upper.size() == text.size())
        return upper;

    upper.clear();
    upper.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const QChar low = text.at(++i);
            const char32_t mapped = QChar::toUpper(QChar::surrogateToUcs4(c, low));
            if (QChar::requiresSurrogates(mapped)) {
                upper += QChar(QChar::highSurrogate(mapped));
                upper += QChar(QChar::lowSurrogate(mapped));
            } else {
                upper += c;
                upper += low;
            }
        } else {
            const char32_t mapped = QChar::toUpper(char32_t(c.unicode()));
            upper += QChar::requiresSurrogates(mapped) ? c : QChar(char16_t(mapped));
        }
    }
    return upper;
}

QString NoteMatch::compared(const QString& note) const
{
    return matchCase_ ? note : upperCase(note);
}

int NoteMatch::positionIn(const QString& note) const
{
    const QString comparedNote = compared(note);
    if (comparedNote.isEmpty())
        return 0;
    return int(comparedNote.indexOf(text_, 0, Qt::CaseSensitive)) + 1;
}

int NoteMatch::positionInUtf8(const char* note, qsizetype bytes) const
{
    if (!note || bytes <= 0)
        return 0;
    const std::string_view utf8(note, std::size_t(bytes));
    if (!matchCase_ && asciiText_) {
        const qsizetype at =
            findUpperAscii(utf8, std::string_view(utf8_.constData(), std::size_t(utf8_.size())));
        if (at == -1)
            return 0;
        // The place is counted in characters; a note whose bytes before it are not well-formed
        // is read the way QString reads it instead.
        thread_local std::vector<char32_t> before;
        if (at >= 0 && decode(utf8.substr(0, std::size_t(at)), before))
            return utf16Length(utf8.substr(0, std::size_t(at))) + 1;
    }
    thread_local std::vector<char32_t> points;
    if (!decode(utf8, points))
        return positionIn(QString::fromUtf8(note, bytes)); // read as QString would read it

    if (matchCase_) {
        // UTF-8 is self-synchronising: a match of the bytes is a match of the characters.
        const std::size_t at =
            utf8.find(std::string_view(utf8_.constData(), std::size_t(utf8_.size())));
        return at == std::string_view::npos ? 0 : utf16Length(utf8.substr(0, at)) + 1;
    }
    for (char32_t& c : points)
        c = upperOf(c);
    const auto found = std::search(points.begin(), points.end(), points_.begin(), points_.end());
    if (found == points.end() && !points_.empty())
        return 0;
    return utf16Length(points.data(), points.data() + (found - points.begin())) + 1;
}

int NoteMatch::registerOn(sqlite3* db)
{
    return sqlite3_create_function_v2(db, kSqlFunction, 3,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, posicion, nullptr, nullptr, nullptr);
}
