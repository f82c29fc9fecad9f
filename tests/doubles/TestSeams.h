#pragma once

#include "FakeClock.h"
#include "FakeFileDialogs.h"
#include "FakeHelpViewer.h"
#include "FakeMessageBoxes.h"
#include "FakePrinter.h"
#include "FakeSound.h"
#include "platform/Seams.h"

// Every seam of the main window as a test double, handed over as one Seams.
struct TestSeams
{
    FakeMessageBoxes boxes;
    FakeClock clock;
    FakeSound sound;
    FakePrinter printer;
    FakeHelpViewer help;
    FakeFileDialogs files;

    Seams seams()
    {
        Seams s;
        s.boxes = &boxes;
        s.clock = &clock;
        s.sound = &sound;
        s.printer = &printer;
        s.help = &help;
        s.files = &files;
        return s;
    }
};
