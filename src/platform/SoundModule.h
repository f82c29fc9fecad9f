#pragma once

#include <QtGlobal>

// What the sound module (libtarvelo-sound.so) offers the program. Only the module links Qt
// Multimedia, whose libraries (the sound server's client and its codecs) would otherwise load
// with the program and slow every start; QtSound loads it when an alarm first rings. A plain C
// table, so that nothing of the program's own classes crosses into the module.
extern "C" {
struct TarveloSoundModule
{
    int (*outputCount)();
    void* (*newPlayer)(); // a player of its own for each wave file, on the windows' thread
    void (*deletePlayer)(void* player);
    void (*play)(void* player, const char16_t* path, qsizetype length);
    void (*stop)(void* player);
};
using TarveloSoundEntry = const TarveloSoundModule* (*)();
}

// The one symbol the module exports: it returns the table above.
inline constexpr char kTarveloSoundEntry[] = "tarvelo_sound_module";
