#pragma once

#include "app/platformchoice.h"

#include <chrono>

// Asks the desktop how it draws, before the QApplication exists: the largest
// scale of the outputs of the Wayland compositor on WAYLAND_DISPLAY, and the
// scale of the X server on `display` (Xft.dpi), which has just answered the
// game's probe. A compositor that does not answer within the deadline counts
// as drawing at 1.
DesktopScales askDesktopScales(const char *display, std::chrono::milliseconds deadline);
