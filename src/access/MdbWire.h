#pragma once

// What the reader of Access files (tarvelo-mdb-read, a process of its own) writes to its
// standard output, and the parent reads back: plain C++, so that the reader needs neither Qt
// nor the rest of the program.
//
// The stream opens with the magic "TMDB" and the version byte, then holds records, each a kind
// byte, a little-endian 32-bit payload length and the payload:
//   'F' the file's Jet version byte (0 Jet 3, 1 Jet 4, 2 and up Access 2007 and later)
//   'T' a table looked for: its id, 1 when found (0: missing, and nothing follows), then one
//       byte per column of the table's list, 1 when the table has that column
//   'R' one row: its table's id, then one value per column the table has, in the list's order
//   'E' the reading failed: a cause byte and the library's words (UTF-8)
//   'Z' the end, after every table was read whole
// A value is a tag byte and its data: Null; Number (an IEEE double, 8 bytes); Integer (a
// signed 64-bit integer, 8 bytes); Text (a 32-bit length and that many bytes of UTF-8);
// Boolean (one byte, 0 or 1); Unsupported (the column's Access type byte: a type Tarvelo does
// not read).
#include <cstdint>

namespace MdbWire {

inline constexpr char kMagic[4] = {'T', 'M', 'D', 'B'};
inline constexpr std::uint8_t kVersion = 1;
// No record is longer: a text longer than this is refused by the reader and the parent alike.
inline constexpr std::uint32_t kMaxRecord = 64u * 1024u * 1024u;

enum Record : std::uint8_t
{
    Format = 'F',
    Table = 'T',
    Row = 'R',
    Failure = 'E',
    End = 'Z',
};

enum TableId : std::uint8_t
{
    Calendar = 0,
    Nota = 1,
};

enum Tag : std::uint8_t
{
    Null = 0,
    Number = 1,
    Integer = 2,
    Text = 3,
    Boolean = 4,
    Unsupported = 5,
};

enum Cause : std::uint8_t
{
    CannotOpen = 1, // the library does not take it for an Access file
    NoCatalog = 2,  // its list of tables cannot be read
    BadTable = 3,   // a table's description cannot be read
    BadRow = 4,     // a row points outside its page
    TooLong = 5,    // a text longer than kMaxRecord
};

inline constexpr int kCalendarColumns = 6;
inline constexpr const char* kCalendarColumn[kCalendarColumns] = {"fecha",  "nota", "festivo",
                                                                  "alarma", "hora", "Color"};
inline constexpr int kNotaColumns = 4;
inline constexpr const char* kNotaColumn[kNotaColumns] = {"indice", "nota", "Top", "Left"};

} // namespace MdbWire
