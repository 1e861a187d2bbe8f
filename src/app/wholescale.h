#pragma once

#include "app/platformchoice.h"

#include <QRect>

#include <chrono>
#include <string>

// The whole scale the game draws at on X11. Qt would take Xft.dpi / 96
// rounded to a whole factor; the game takes the largest whole factor up to
// that one at which its windows, scaled, have room at their designed places,
// scaled, in the screen's work area. Whole factors keep the pixel art crisp.
// (Natively on Wayland the compositor gives the scale.)

// What the X server tells of the desktop, in its pixels.
struct XDesktop
{
    double xftDpi = 0; // 0: the X resources set none
    QRect workArea;    // _NET_WORKAREA, else the root window
};

struct ScaleChoice
{
    int scale = 1;
    int qtScale = 1;    // Qt's own: Xft.dpi / 96, rounded
    std::string reason; // for the log, in a few words
};

ScaleChoice chooseWholeScale(const XDesktop &desktop);

// Asks the X server on `display`, waiting for each answer no longer than
// the deadline; an empty work area where it did not answer.
XDesktop askXDesktop(const char *display, std::chrono::milliseconds deadline);

// Where the game has chosen X11, chooses the scale before the QApplication
// exists and tells Qt where it differs from Qt's own, unless the player set
// a scale for Qt. Logs the choice in the category milta100m.platform.
void chooseWholeScaleForGame(const PlatformChoice &platform);
