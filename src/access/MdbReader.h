#pragma once

#include "access/MdbContents.h"

#include <QString>

// Reads the calendar tables of an Access file through tarvelo-mdb-read, a process of its own
// run under a time limit and a memory limit: a file that makes the library crash, spin or eat
// memory ends that process, never this one, and is reported as damaged.
class MdbReader
{
public:
    struct Limits
    {
        int wallMs = 60'000;            // the whole reading
        int cpuSeconds = 30;            // the reader's own processor time
        qint64 memoryBytes = 1LL << 30; // the reader's address space
    };

    // The reader program: beside this program, then where it is installed, then in the build
    // tree it was built in.
    static QString program();

    // Throws MdbError naming the file and the cause.
    static MdbContents read(const QString& path, const Limits& limits);
    static MdbContents read(const QString& path) { return read(path, Limits{}); }
};
