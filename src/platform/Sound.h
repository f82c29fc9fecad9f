#pragma once

#include <QString>

// The sound card as the alarm needs it: how many outputs there are, and a wave file played
// without waiting for it to end and without any fallback sound when it cannot be played.
class Sound
{
public:
    virtual ~Sound();
    virtual int outputDeviceCount() const = 0;
    virtual void stop() = 0;
    virtual void playAsync(const QString& waveFile) = 0;
};
