#pragma once

#include <chrono>
#include <functional>
#include <optional>
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
//
// A display server that takes the connection and never answers would hold
// Qt's own connection, and the start, for ever: where Qt would come to one,
// the game does not start but names it.
struct PlatformChoice
{
    std::string platform; // the Qt platform plugin to load; empty: as Qt chooses
    std::string reason;   // for the log, in a few words
    std::string silent = {};  // not empty: the displays that took the connection and did not answer
    std::string display = {}; // the X display that answered, where the choice is X11
};

// What a display server did with the game's probe: answered it; was not
// there (nothing listens, or it refused the client); or said nothing before
// the deadline, as a server that hangs does.
enum class DisplayAnswer { Answers, Absent, Silent };

// How the desktop draws: the largest scale of the Wayland compositor's
// outputs, and the scale X programs are told to draw at (Xft.dpi / 96).
struct DesktopScales
{
    double compositor = 1;
    double xPrograms = 1;
};

// The environment's values are null where a variable is not set; the X
// server, the Wayland compositor and the desktop's scales are asked only when
// the rule comes to them, on the displays Qt would open: the -display
// option's, else DISPLAY; WAYLAND_DISPLAY, else (the compositor asked with
// null) wayland-0, where Qt looks without it. The options and the player's
// list of plugins are read as Qt reads them: the last -platform and -display
// count, an empty -display is DISPLAY, plugin names in any case.
// `currentDesktop` is XDG_CURRENT_DESKTOP.
PlatformChoice choosePlatform(const std::vector<std::string> &arguments, const char *qpaPlatform,
                              const char *display, const char *waylandDisplay,
                              const std::function<DisplayAnswer(const char *display)> &xServer,
                              const std::function<DisplayAnswer(const char *waylandDisplay)> &waylandCompositor,
                              const std::function<DesktopScales(const char *display)> &desktopScales,
                              const char *currentDesktop = nullptr);

// The Xft.dpi of X resources as the RESOURCE_MANAGER property holds them
// ("Xft.dpi:\t192" on a line of its own); 0 where they set none.
double xftDpi(std::string_view resources);

// Whether an X server on `display` lets a client connect within the
// deadline. One that says nothing in time is left waiting on a thread of its
// own.
DisplayAnswer probeXServer(const char *display, std::chrono::milliseconds deadline);

// Makes the choice for this process before the QApplication exists, giving
// an X server a second and a Wayland compositor three to answer, and logs
// it in the category milta100m.platform (off by default). Nothing where the
// game must not start: it has said on standard error which display did not
// answer.
std::optional<PlatformChoice> choosePlatformForGame(int argc, char **argv);
