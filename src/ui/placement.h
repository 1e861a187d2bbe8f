#pragma once

#include <QRect>

// Where the game's windows go. Rectangles are window frames in screen
// coordinates; `area` is the part of the screen that windows may use, without
// the desktop's panels.

// The frame moved just enough to lie within the area. A frame larger than the
// area keeps its top-left corner, and with it the caption bar, in the area.
QRect fittedInto(const QRect &frame, const QRect &area);

// The help viewer's frame, at most `preferred` and at least `minimum` in
// size: beside the race screen, below or above it, wherever the area has
// room. Where it has none, the viewer goes over the race screen above the
// pads, clear of the clock if there is room for that; the pads are covered
// only when even that cannot be had.
QRect helpViewerFrame(const QSize &preferred, const QSize &minimum, const QRect &raceScreen, const QRect &pads,
                      const QRect &clock, const QRect &area);
