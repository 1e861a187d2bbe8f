#pragma once

#include "modal.h"
#include "playfolder.h"

#include "core/exception.h"
#include "media/tuneplayer.h"
#include "race/raceclock.h"
#include "ui/helpviewer.h"
#include "ui/racewindow.h"

#include <algorithm>
#include <memory>
#include <vector>

// A race clock moved by hand: it ticks when told, at the time it is told, and
// its timer can be refused as the platform may refuse it.
class ManualRaceClock : public RaceClock
{
public:
    void start() override
    {
        m_running = true;
        m_elapsed = 0;
        if (refuseTimer)
            throw EOutOfResources(Fault::TimerRefused);
    }
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }
    qint64 elapsedMs() const override { return m_elapsed; }

    // A tick that comes `elapsedMs` after the start, as the timer sends it.
    void tickAt(qint64 elapsedMs)
    {
        m_elapsed = elapsedMs;
        emit ticked();
    }

    bool refuseTimer = false;

private:
    bool m_running = false;
    qint64 m_elapsed = 0;
};

// Music that never reaches a sound card and keeps the cues the race screen
// sounds, in order, instead of sending their notes to the synth.
class RecordingMusic : public MusicService
{
public:
    RecordingMusic() : MusicService(Output::Manual) {}
    void sound(Cue cue) override { cues.push_back(cue); }
    int count(Cue cue) const { return int(std::ranges::count(cues, cue)); }

    std::vector<Cue> cues;
};

// A race screen of its own in a fresh play folder, for each test function,
// with music that never reaches a sound card and a clock moved by hand.
class RaceScreenFixture
{
protected:
    void openRaceScreen()
    {
        folder = std::make_unique<PlayFolder>();
        music.cues.clear();
        auto manualClock = std::make_unique<ManualRaceClock>();
        clock = manualClock.get();
        window = std::make_unique<RaceWindow>(music, help, std::move(manualClock));
    }
    void closeRaceScreen()
    {
        window.reset();
        folder.reset();
    }

    bool shown(const QWidget *widget) const { return widget->isVisibleTo(window.get()); }
    const RaceState &race() const { return window->state(); }

    void strides(int count)
    {
        for (int i = 0; i < count; ++i) {
            window->onRedPadMoved();
            window->onBluePadMoved();
        }
    }

    // A finish that ranks asks for a name: take the one offered.
    static void acceptTheName()
    {
        whenModalOpens<QDialog>([](QDialog *dialog) { dialog->accept(); });
    }

    // The strides to the finish and the tick that sees it, the name taken.
    void runToTheFinish()
    {
        strides(StridesToFinish);
        acceptTheName();
        window->onClockTick();
    }

    RecordingMusic music;
    HelpEngine help;
    ManualRaceClock *clock = nullptr;
    std::unique_ptr<PlayFolder> folder;
    std::unique_ptr<RaceWindow> window;
};
