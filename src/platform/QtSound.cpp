#include "platform/QtSound.h"

#include "platform/SoundModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#ifndef TARVELO_SOUND_MODULE_INSTALLED
#error                                                                                             \
    "TARVELO_SOUND_MODULE_INSTALLED and _BUILT name the module; the platform CMakeLists defines them"
#endif

namespace {

constexpr char kModuleName[] = "libtarvelo-sound.so";

} // namespace

QtSound::QtSound(QStringList modulePaths) : modulePaths_(std::move(modulePaths)) {}

QtSound::~QtSound()
{
    if (player_)
        module_->deletePlayer(player_);
}

QStringList QtSound::defaultModulePaths()
{
    return {QCoreApplication::instance()
                ? QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                                      .filePath(QStringLiteral(TARVELO_SOUND_MODULE_RELATIVE)))
                : QString(),
            QStringLiteral(TARVELO_SOUND_MODULE_INSTALLED),
            QStringLiteral(TARVELO_SOUND_MODULE_BUILT)};
}

const TarveloSoundModule* QtSound::module() const
{
    if (looked_)
        return module_;
    looked_ = true;
    failure_ = QStringLiteral("no se encuentra %1").arg(QLatin1String(kModuleName));
    for (const QString& path : modulePaths_) {
        if (path.isEmpty() || !QFileInfo::exists(path))
            continue;
        library_.setFileName(path);
        const auto entry =
            reinterpret_cast<TarveloSoundEntry>(library_.resolve(kTarveloSoundEntry));
        if (entry && (module_ = entry())) {
            failure_.clear();
            return module_;
        }
        failure_ = QStringLiteral("no se ha podido cargar %1: %2")
                       .arg(QDir::toNativeSeparators(path), library_.errorString());
    }
    // The alarm then says there is no sound card; why is told here, for whoever installed it.
    std::fprintf(stderr, "tarvelo: sin sonido: %s\n", failure_.toLocal8Bit().constData());
    return nullptr;
}

QString QtSound::failure() const
{
    module();
    return failure_;
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
