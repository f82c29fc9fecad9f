// The sound module: Qt Multimedia behind the table of SoundModule.h.
#include "platform/SoundModule.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

QSoundEffect* player(void* opaque)
{
    return static_cast<QSoundEffect*>(opaque);
}

// A sound effect, not a media player: a media player fails on machines without audio.
constexpr TarveloSoundModule kModule{
    [] { return int(QMediaDevices::audioOutputs().size()); },
    []() -> void* { return new QSoundEffect; },
    [](void* opaque) { delete player(opaque); },
    [](void* opaque, const char16_t* path, qsizetype length) {
        player(opaque)->setSource(
            QUrl::fromLocalFile(QString(reinterpret_cast<const QChar*>(path), length)));
        player(opaque)->play();
    },
    [](void* opaque) { player(opaque)->stop(); },
};

} // namespace

extern "C" Q_DECL_EXPORT const TarveloSoundModule* tarvelo_sound_module()
{
    return &kModule;
}
