#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Which window system the game runs on. Where an X server answers (XWayland
// gives one on every mainstream Wayland desktop) the game runs on X11, where
// its windows open at their own places and keep out of the taskbar; where
// only a Wayland compositor is there, natively on Wayland; so also where the
// compositor draws at a larger scale than X programs are told to (KWin at
// scale 2 then scales X windows up, blurred: Plasma's "Scaled by the system";
// Plasma 5.27's default, "Apply scaling themselves", tells them Xft.dpi 192
// and the game draws at 2 on X11). The player's own choice comes first: Qt's
// -platform option or QT_QPA_PLATFORM. GNOME Shell stays on X11 wherever
// an X server answers, as Qt keeps it: it draws no frames for Wayland
// clients, and Qt's own frame there has every button on every window, a
// modal dialog's minimise box too.
struct PlatformChoice
{
    std::string platform; // the Qt platform plugin to load; empty: as Qt chooses
    std::string reason;   // for the log, in a few words
    std::string display = {}; // the X display that answered, where the choice is X11
};

// How the desktop draws: the largest scale of the Wayland compositor's
// outputs, and the scale X programs are told to draw at (Xft.dpi / 96).
struct DesktopScales
{
    double compositor = 1;
    double xPrograms = 1;
};

// The environment's values are null where a variable is not set; the X
// server and the desktop's scales are asked only when the rule comes to them,
// on the display Qt would open: the -display option's, else DISPLAY.
// `currentDesktop` is XDG_CURRENT_DESKTOP.
PlatformChoice choosePlatform(const std::vector<std::string> &arguments, const char *qpaPlatform,
                              const char *display, const char *waylandDisplay,
                              const std::function<bool(const char *display)> &xServerAnswers,
                              const std::function<DesktopScales(const char *display)> &desktopScales,
                              const char *currentDesktop = nullptr);

// The Xft.dpi of X resources as the RESOURCE_MANAGER property holds them
// ("Xft.dpi:\t192" on a line of its own); 0 where they set none.
double xftDpi(std::string_view resources);

// Whether an X server on `display` lets a client connect within the
// deadline. One that accepts the connection and says nothing, as an X server
// that hangs does, counts as none; the attempt is left waiting on a thread
// of its own.
bool xServerAnswers(const char *display, std::chrono::milliseconds deadline);

// Makes the choice for this process before the QApplication exists, giving
// the X server a second to answer, and logs it in the category milta100m.platform
// (off by default).
PlatformChoice choosePlatformForGame(int argc, char **argv);
