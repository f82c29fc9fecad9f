#pragma once

#include "platform/Sound.h"
#include "platform/core/PlatformModule.h"

struct TarveloSoundModule;

// The sound card through Qt Multimedia, in a module of its own (see SoundModule.h) loaded when
// the sound card is first needed. Without the module there is no sound card to the program.
class QtSound : public Sound
{
public:
    // Where the module is looked for (PlatformModule::places); a test names its own.
    explicit QtSound(QStringList modulePaths = defaultModulePaths());
    ~QtSound() override;

    int outputDeviceCount() const override;
    void stop() override;
    void playAsync(const QString& waveFile) override;

    // Why there is no sound card to the program: the module that would not load, and the
    // loader's reason; empty once the module has loaded. Loads it when not yet tried.
    QString failure() const;

    static QStringList defaultModulePaths();

private:
    const TarveloSoundModule* module() const;

    mutable PlatformModule library_;
    mutable const TarveloSoundModule* module_ = nullptr;
    void* player_ = nullptr;
};
