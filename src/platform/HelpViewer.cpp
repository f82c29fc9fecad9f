#include "platform/HelpViewer.h"

HelpViewer::~HelpViewer() = default;
