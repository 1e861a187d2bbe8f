#pragma once

#include "app/platformchoice.h"

#include <chrono>

// Asks the desktop how it draws, before the QApplication exists: the largest
// scale of the outputs of the Wayland compositor on WAYLAND_DISPLAY, and the
// scale of the X server on DISPLAY's Xft.dpi. Either one that does not answer
// within the deadline counts as 1.
DesktopScales askDesktopScales(std::chrono::milliseconds deadline);
