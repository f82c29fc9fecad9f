#include "platform/Sound.h"

Sound::~Sound() = default;
