#include "FakeHelpViewer.h"
