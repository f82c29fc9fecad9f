#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// One field of an Access row as the reader gave it back.
struct MdbValue
{
    enum class Kind
    {
        Absent, // the table has no such column
        Null,
        Number,
        Integer,
        Text,
        Boolean,
        Unsupported, // a type Tarvelo does not read; accessType names it
    };

    Kind kind = Kind::Absent;
    double number = 0;
    qint64 integer = 0;
    QString text;
    bool boolean = false;
    int accessType = 0;

    bool operator==(const MdbValue&) const = default;
};

// A table of the calendar as read: whether the file has it, which of its columns, and its rows
// in table order, each with one value per column of the table's list (MdbWire).
struct MdbTable
{
    bool found = false;
    std::vector<bool> columns;
    std::vector<std::vector<MdbValue>> rows;
};

// What the reader gave back of an older calendar.
struct MdbContents
{
    int jetVersion = -1;
    MdbTable calendar;
    MdbTable nota;
};
