#pragma once

#include "core/translatable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Which pad a stride waits for.
enum class StridePhase {
    RedPadExpected = 0,  // the runner shows frame A
    BluePadExpected = 1, // the runner shows frame B
    Finished = 10,       // both pads frozen until Retry
};

// The race state the race window owns for the life of the process.
// started, stridePhase, tenths and seconds are reset by Retry;
// runner, score and entryName are never reset.
struct RaceState
{
    bool started = false;
    StridePhase stridePhase = StridePhase::RedPadExpected;
    int tenths = 0;
    int seconds = 0;
    int runner = 0;
    int score = 0;         // the last finishing time in tenths
    std::string entryName; // the last name entered for the ranking, code page 932
};

// A runner of the roster: his name, as his portrait's hint shows it (the
// window layer translates it in the context "Runner"), and the pixels he
// gains on each pad. The race window holds each runner's sprite
// frames, goal pose and portrait, indexed like the roster.
struct Runner
{
    const char *name; // UTF-8
    int redStep;
    int blueStep;
};

inline constexpr std::array RunnerRoster = {
    Runner{QT_TRANSLATE_NOOP("Runner", "ポルカさん"), 3, 3},
    Runner{QT_TRANSLATE_NOOP("Runner", "嘆きの老人"), 3, 3},
    Runner{QT_TRANSLATE_NOOP("Runner", "サスライの剣士"), 5, 1}, // who strides unevenly
    Runner{QT_TRANSLATE_NOOP("Runner", "ダイモン ゴロウ"), 3, 3},
    Runner{QT_TRANSLATE_NOOP("Runner", "ナギ先生"), 3, 3},
};
inline constexpr int RunnerCount = int(RunnerRoster.size());

inline constexpr int StartLeft = 24;   // every sprite frame at rest
inline constexpr int FinishLeft = 500; // a frame A beyond this has finished

// Every runner gains the same per full stride, so they all finish alike.
inline constexpr int StrideLength = RunnerRoster[0].redStep + RunnerRoster[0].blueStep;
static_assert(std::ranges::all_of(RunnerRoster, [](Runner r) { return r.redStep + r.blueStep == StrideLength; }));

// The clock sees a finish only between strides: after this many whole strides
// from the start a runner first stands beyond the finish line, at GoalLeft,
// where the goal poses stand.
inline constexpr int StridesToFinish = (FinishLeft - StartLeft) / StrideLength + 1;
inline constexpr int GoalLeft = StartLeft + StridesToFinish * StrideLength;

// The clock tick looks at the runners' frames A in this order.
inline constexpr std::array<int, RunnerCount> FinishTestOrder = {0, 4, 3, 1, 2};
static_assert([] {
    auto order = FinishTestOrder;
    std::ranges::sort(order);
    for (int r = 0; r < RunnerCount; ++r)
        if (order[r] != r)
            return false;
    return true;
}(), "the finish test looks at every runner once");

inline constexpr int ClockIntervalMs = 70; // one tick is one tenth on the race clock

// A tick of the race clock, elapsedMs after the race started: one tenth more,
// so 0.9 is followed by 1.0. A tick that comes late because the machine
// stalled stands for the ticks the timer dropped meanwhile: the clock then
// shows the real time since the start, in whole ticks.
void advanceClock(RaceState &race, std::int64_t elapsedMs);

inline bool beyondFinish(int frameALeft) { return frameALeft > FinishLeft; }

// How many quarters of the way from the start line to the finish line a
// runner whose frame A stands at frameALeft has run: 0 to 3, the fourth
// being the finish.
constexpr int quartersRun(int frameALeft)
{
    return std::clamp((frameALeft - StartLeft) * 4 / (FinishLeft - StartLeft), 0, 3);
}

// Which captions of a running race clock a screen reader hears: the first,
// then none until a second of real time has passed since the last one heard,
// so that speech is not flooded with tenths. The final time is told anyway.
class ClockAnnouncements
{
public:
    static constexpr std::int64_t IntervalMs = 1000;

    // The clock starts again from 0.
    void restart() { m_lastMs.reset(); }
    // Whether the caption of a tick elapsedMs after the start is told.
    bool dueAt(std::int64_t elapsedMs);

private:
    std::optional<std::int64_t> m_lastMs;
};
