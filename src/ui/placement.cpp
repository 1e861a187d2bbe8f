#include "ui/placement.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool holds(const QRect &band, const QSize &minimum)
{
    return band.width() >= minimum.width() && band.height() >= minimum.height();
}

} // namespace

QRect fittedInto(const QRect &frame, const QRect &area)
{
    const auto fitted = [](int start, int length, int areaStart, int areaLength) {
        return std::max(areaStart, std::min(start, areaStart + areaLength - length));
    };
    return {QPoint(fitted(frame.left(), frame.width(), area.left(), area.width()),
                   fitted(frame.top(), frame.height(), area.top(), area.height())),
            frame.size()};
}

QRect helpViewerFrame(const QSize &preferred, const QSize &minimum, const QRect &raceScreen, const QRect &pads,
                      const QRect &clock, const QRect &area)
{
    // The first band that holds the viewer takes it, as close to the race
    // screen's top-left corner as the band allows.
    const auto placeIn = [&](std::initializer_list<QRect> bands) -> QRect {
        for (const QRect &band : bands) {
            if (holds(band, minimum))
                return fittedInto(QRect(raceScreen.topLeft(), preferred.boundedTo(band.size())), band);
        }
        return {};
    };
    const QRect right(QPoint(raceScreen.right() + 1, area.top()), area.bottomRight());
    const QRect left(area.topLeft(), QPoint(raceScreen.left() - 1, area.bottom()));
    const QRect below(QPoint(area.left(), raceScreen.bottom() + 1), area.bottomRight());
    const QRect above(area.topLeft(), QPoint(area.right(), raceScreen.top() - 1));
    if (const QRect beside = placeIn({right, left, below, above}); !beside.isNull())
        return beside;

    const QRect abovePads = QRect(area.topLeft(), QPoint(area.right(), pads.top() - 1)).intersected(area);
    const QRect leftOfClock(abovePads.topLeft(), QPoint(clock.left() - 1, abovePads.bottom()));
    const QRect rightOfClock(QPoint(clock.right() + 1, abovePads.top()), abovePads.bottomRight());
    if (const QRect over = placeIn({leftOfClock, rightOfClock, abovePads}); !over.isNull())
        return over;
    return fittedInto(QRect(raceScreen.topLeft(), preferred.boundedTo(area.size())), area);
}

std::optional<QRect> correctedFrame(const QRect &asked, const QRect &framed, const QRect &wanted, const QRect &area)
{
    if (framed == wanted)
        return std::nullopt;
    if (framed.topLeft() == asked.topLeft() || !area.contains(framed))
        return wanted;
    return std::nullopt;
}

int wholeScaleFitting(int largest, const QRect &area, std::span<const QRect> places)
{
    const auto fitsAt = [&](int scale) {
        return std::ranges::all_of(places, [&](const QRect &place) {
            return area.contains(QRect(place.topLeft() * scale, place.size() * scale));
        });
    };
    int scale = std::max(largest, 1);
    while (scale > 0 && !fitsAt(scale))
        --scale;
    return scale;
}
