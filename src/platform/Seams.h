#pragma once

class Clock;
class FileDialogs;
class HelpViewer;
class MessageBoxes;
class Printer;
class Sound;

// The seams one program (or one test) hands to the main window: the real ones in the program,
// test doubles in the tests.
struct Seams
{
    MessageBoxes* boxes = nullptr;
    Clock* clock = nullptr;
    Sound* sound = nullptr;
    Printer* printer = nullptr;
    HelpViewer* help = nullptr;
    FileDialogs* files = nullptr;
};
