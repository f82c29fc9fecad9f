#include "FakeSound.h"
