#include "platform/MessageBoxes.h"

MessageBoxes::~MessageBoxes() = default;
