#pragma once

#include <QMargins>
#include <QRect>

#include <functional>

class QWidget;

// The game's windows on the player's desktop.

// Keeps a window out of the taskbar and the pager, so that the race screen's
// is the game's one entry there. Call it each time the window is about to be
// shown: the window manager forgets it when the window hides. Does nothing
// where the desktop is not X11.
void keepOutOfTaskbar(QWidget *window);

// Where a window's frame goes, given the margins of the frame.
using Placement = std::function<QRect(const QMargins &frameMargins)>;

// Each time the top-level `window` is shown, moves it just enough that its
// frame lies within the available area of its screen, or puts its frame
// where `placement` says. That is done first by the frame the window is
// expected to get, then, once the window manager has framed it, by the real
// one.
void keepOnScreen(QWidget *window, Placement placement = {});

// The frame the window manager puts around the game's windows, as it framed
// one already shown; none before that.
QMargins expectedFrameMargins();
