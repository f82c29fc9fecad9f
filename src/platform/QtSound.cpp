#include "platform/QtSound.h"

#include "platform/SoundModule.h"

#include <QFileInfo>

#ifndef TARVELO_SOUND_MODULE_INSTALLED
#error                                                                                             \
    "TARVELO_SOUND_MODULE_INSTALLED and _BUILT name the module; the platform CMakeLists defines them"
#endif

namespace {

constexpr char kModuleName[] = "libtarvelo-sound.so";

} // namespace

QtSound::QtSound(QStringList modulePaths)
    : library_(QLatin1String(kModuleName), std::move(modulePaths))
{
}

QtSound::~QtSound()
{
    if (player_)
        module_->deletePlayer(player_);
}

QStringList QtSound::defaultModulePaths()
{
    return PlatformModule::places(QStringLiteral(TARVELO_SOUND_MODULE_RELATIVE),
                                  QStringLiteral(TARVELO_SOUND_MODULE_INSTALLED),
                                  QStringLiteral(TARVELO_SOUND_MODULE_BUILT));
}

const TarveloSoundModule* QtSound::module() const
{
    if (!module_) {
        if (const auto entry =
                reinterpret_cast<TarveloSoundEntry>(library_.entry(kTarveloSoundEntry)))
            module_ = entry();
    }
    return module_;
}

QString QtSound::failure() const
{
    module();
    return library_.failure();
}

int QtSound::outputDeviceCount() const
{
    const TarveloSoundModule* sound = module();
    return sound ? sound->outputCount() : 0;
}

void QtSound::stop()
{
    if (player_)
        module_->stop(player_);
}

void QtSound::playAsync(const QString& waveFile)
{
    // A missing or unreadable file plays nothing and says nothing: the alarm's message is what
    // the user is told.
    if (!QFileInfo(waveFile).isReadable() || !module())
        return;
    if (player_)
        module_->deletePlayer(player_);
    player_ = module_->newPlayer();
    module_->play(player_, reinterpret_cast<const char16_t*>(waveFile.utf16()), waveFile.size());
}
