#include "race/raceclock.h"

#include "core/exception.h"
#include "race/race.h"

TimerRaceClock::TimerRaceClock(QObject *parent) : RaceClock(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(ClockIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RaceClock::ticked);
}

void TimerRaceClock::start()
{
    m_switchedOn = true;
    m_sinceStart.start();
    m_timer.start();
    if (!m_timer.isActive())
        throw EOutOfResources(Fault::TimerRefused);
}

void TimerRaceClock::stop()
{
    m_switchedOn = false;
    m_timer.stop();
}
