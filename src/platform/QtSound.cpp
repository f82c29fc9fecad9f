#include "platform/QtSound.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

int QtSound::outputDeviceCount() const
{
    return int(QMediaDevices::audioOutputs().size());
}

void QtSound::stop()
{
    if (effect_)
        effect_->stop();
}

void QtSound::playAsync(const QString& waveFile)
{
    // A missing or unreadable file plays nothing and says nothing: the alarm's message is what
    // the user is told.
    if (!QFileInfo(waveFile).isReadable())
        return;
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(waveFile));
    effect_->play();
}
