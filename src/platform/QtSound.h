#pragma once

#include "platform/Sound.h"

#include <memory>

class QSoundEffect;

// The sound card through Qt Multimedia: the list of audio outputs, and a sound effect for the
// wave file (a media player is avoided: it fails on machines without audio).
class QtSound : public Sound
{
public:
    QtSound();
    ~QtSound() override;

    int outputDeviceCount() const override;
    void stop() override;
    void playAsync(const QString& waveFile) override;

private:
    std::unique_ptr<QSoundEffect> effect_;
};
