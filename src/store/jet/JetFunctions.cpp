#include "store/jet/JetFunctions.h"

#include "store/jet/JetPattern.h"
#include "store/jet/NoteMatch.h"

#include <QList>
#include <QString>

#include <sqlite3.h>

#include <memory>
#include <new>
#include <optional>

// Declared a friend by JetPattern so that an ESCAPE outside the Basic Multilingual Plane, which
// no QChar holds, still compiles into a pattern.
struct JetPatternAccess
{
    static JetPattern compile(const QString& pattern, std::optional<char32_t> escape)
    {
        JetPattern compiled{JetPattern::Uncompiled{}};
        compiled.compile(pattern, escape);
        return compiled;
    }
};

namespace {

// A pattern stays valid only for the escape it was compiled with; the escape may be a column
// while the pattern is constant, so it is checked again on every row.
struct CachedPattern
{
    JetPattern pattern;
    std::optional<char32_t> escape;
};

void deleteCachedPattern(void* cached)
{
    delete static_cast<CachedPattern*>(cached);
}

// sqlite3_value_text gives numbers as their text too, which is how "12" LIKE "1#" must see them.
std::optional<QString> textOf(sqlite3_value* value)
{
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(utf8, sqlite3_value_bytes(value));
}

void like(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    // No C++ exception may unwind through SQLite's C frames.
    try {
        for (int i = 0; i < argc; ++i) {
            if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
                sqlite3_result_null(context);
                return;
            }
        }
        const std::optional<QString> text = textOf(argv[1]);
        if (!text) {
            sqlite3_result_error_nomem(context);
            return;
        }
        std::optional<char32_t> escape;
        if (argc == 3) {
            const std::optional<QString> escapeText = textOf(argv[2]);
            if (!escapeText) {
                sqlite3_result_error_nomem(context);
                return;
            }
            const QList<uint> escapeChars = escapeText->toUcs4();
            if (escapeChars.size() != 1) {
                sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
                return;
            }
            escape = escapeChars.front();
        }

        if (const auto* cached = static_cast<CachedPattern*>(sqlite3_get_auxdata(context, 0));
            cached && cached->escape == escape) {
            sqlite3_result_int(context, cached->pattern.matches(*text) ? 1 : 0);
            return;
        }

        const std::optional<QString> pattern = textOf(argv[0]);
        if (!pattern) {
            sqlite3_result_error_nomem(context);
            return;
        }
        auto fresh = std::make_unique<CachedPattern>(
            CachedPattern{JetPatternAccess::compile(*pattern, escape), escape});
        const bool matched = fresh->pattern.matches(*text);
        // SQLite may free the pattern at once (a pattern that changes row by row is not kept),
        // so it is not touched after being handed over.
        sqlite3_set_auxdata(context, 0, fresh.release(), deleteCachedPattern);
        sqlite3_result_int(context, matched ? 1 : 0);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(context);
    } catch (...) {
        sqlite3_result_error(context, "like() failed", -1);
    }
}

void len(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* utf8 = sqlite3_value_text(argv[0]);
    if (!utf8) {
        sqlite3_result_error_nomem(context);
        return;
    }
    sqlite3_result_int64(context, JetFunctions::length(utf8, sqlite3_value_bytes(argv[0])));
}

} // namespace

long long JetFunctions::length(const unsigned char* utf8, int bytes)
{
    // Counting the bytes that begin a UTF-8 sequence gives code points without decoding; the
    // count stops at a NUL as SQLite's own length() does.
    long long characters = 0;
    for (int i = 0; i < bytes && utf8[i] != 0; ++i) {
        if ((utf8[i] & 0xC0) != 0x80)
            ++characters;
    }
    return characters;
}

int JetFunctions::registerOn(sqlite3* db)
{
    // SQLITE_INNOCUOUS lets the functions run inside views and triggers under trusted_schema=OFF.
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    struct Registration
    {
        const char* name;
        int arguments;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    };
    // Replacing like() also takes the LIKE operator away from SQLite's ASCII-only version; a
    // later "PRAGMA case_sensitive_like" would silently put that version back, so none is issued.
    const Registration registrations[] = {
        {"like", 2, like},
        {"like", 3, like},
        {"len", 1, len},
    };
    for (const Registration& registration : registrations) {
        const int rc =
            sqlite3_create_function_v2(db, registration.name, registration.arguments, flags,
                                       nullptr, registration.function, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    // The search compares notes inside its queries, by the same rules as on screen.
    return NoteMatch::registerOn(db);
}
