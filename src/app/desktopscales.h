#pragma once

#include "app/platformchoice.h"

#include <chrono>

// Asks the desktop how it draws, before the QApplication exists: the largest
// scale of the outputs of the Wayland compositor on WAYLAND_DISPLAY, and the
// scale of the X server on `display` (Xft.dpi), which has just answered the
// game's probe. A compositor that does not answer within the deadline counts
// as drawing at 1.
DesktopScales askDesktopScales(const char *display, std::chrono::milliseconds deadline);

// Whether a Wayland compositor answers on `waylandDisplay` (null: wayland-0,
// as libwayland looks without WAYLAND_DISPLAY) within the deadline. A socket
// whose listen backlog is full, or a compositor that takes the connection and
// says nothing, counts as silent: connecting to either would wait for ever.
DisplayAnswer probeWaylandCompositor(const char *waylandDisplay, std::chrono::milliseconds deadline);
