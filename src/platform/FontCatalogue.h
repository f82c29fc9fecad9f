#pragma once

// The desktop's catalogue of fonts (on Linux fontconfig's configuration and the fonts it
// lists), read into Qt's font database on a thread of its own while the windows are built.
// Reading it is the largest single part of a start, and it needs neither the windows nor the
// display; Qt would read it on the windows' thread when the first text is measured.
class FontCatalogue
{
public:
    FontCatalogue() = delete;

    // Begins the reading; nothing when it has begun already.
    static void readAside();
    // Waits for the reading begun aside, if any. Qt makes whatever needs a font wait for it
    // anyway; waiting here says where the windows' thread first needs one.
    static void awaitRead();
};
