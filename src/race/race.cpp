#include "race/race.h"

void advanceClock(RaceState &race, std::int64_t elapsedMs)
{
    const std::int64_t nextTick = race.seconds * 10LL + race.tenths + 1;
    const std::int64_t ticks = std::max(nextTick, elapsedMs / ClockIntervalMs);
    race.seconds = static_cast<int>(ticks / 10);
    race.tenths = static_cast<int>(ticks % 10);
}

bool ClockAnnouncements::dueAt(std::int64_t elapsedMs)
{
    if (m_lastMs && elapsedMs - *m_lastMs < IntervalMs)
        return false;
    m_lastMs = elapsedMs;
    return true;
}
