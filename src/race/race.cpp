#include "race/race.h"

void advanceClock(RaceState &race)
{
    if (++race.tenths == 10) {
        ++race.seconds;
        race.tenths = 0;
    }
}

std::string clockCaption(int seconds, int tenths)
{
    return std::to_string(seconds) + "." + std::to_string(tenths) + "秒";
}
