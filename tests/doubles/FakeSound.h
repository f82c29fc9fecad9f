#pragma once

#include "platform/Sound.h"

#include <QStringList>

// A sound card with a settable number of outputs that records what it was asked to play.
class FakeSound : public Sound
{
public:
    int devices = 1;
    int stops = 0;
    QStringList played;

    int outputDeviceCount() const override { return devices; }
    void stop() override { ++stops; }
    void playAsync(const QString& waveFile) override { played << waveFile; }
};
