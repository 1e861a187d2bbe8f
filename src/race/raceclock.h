#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The race clock: a tick every 70 ms while it runs, and the real time since it
// was started. Once switched on it counts as running, even when the platform
// refused its timer and no tick comes, until it is switched off.
class RaceClock : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Raises EOutOfResources (Fault::TimerRefused) when the platform
    // refuses the timer; the clock is switched on all the same.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    // Milliseconds since start(), on a monotonic clock.
    virtual qint64 elapsedMs() const = 0;

signals:
    void ticked();
};

// The race clock on a precise Qt timer: a coarse one wanders by 5 ms a tick.
class TimerRaceClock : public RaceClock
{
    Q_OBJECT
public:
    explicit TimerRaceClock(QObject *parent = nullptr);

    void start() override;
    void stop() override;
    bool isRunning() const override { return m_switchedOn; }
    qint64 elapsedMs() const override { return m_sinceStart.elapsed(); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceStart;
    bool m_switchedOn = false;
};
