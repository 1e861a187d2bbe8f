#pragma once

#include <QRect>

#include <optional>
#include <span>

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

// Where a window goes once the window manager has placed it, if anywhere.
// `asked` is the frame the game asked for before the window was mapped,
// with the margins the frame was expected to have; `framed` the frame the
// window got; `wanted` where the game would ask now that the margins are
// known. A window the window manager put where it was asked goes where it
// is wanted (the margins may have been other than expected); one it put
// elsewhere stays there, its choice or the player's, unless it is not
// wholly on the screen.
std::optional<QRect> correctedFrame(const QRect &asked, const QRect &framed, const QRect &wanted, const QRect &area);

// Where the game's windows open, as designed at scale 1: the frame's top-left
// corner and the client area's size.
constexpr QRect RaceScreenPlace{231, 202, 599, 315};
constexpr QRect RankingWindowPlace{331, 164, 386, 408};
constexpr QRect VersionWindowPlace{368, 241, 308, 252};
constexpr QRect DesignedPlaces[] = {RaceScreenPlace, RankingWindowPlace, VersionWindowPlace};

// The largest whole scale, at most `largest`, at which every window drawn at
// that scale has room at its designed place scaled likewise: its client area
// within `area`, the work area in the screen's pixels. 0 where not even 1 has.
int wholeScaleFitting(int largest, const QRect &area, std::span<const QRect> places = DesignedPlaces);
