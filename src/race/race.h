#pragma once

#include <array>
#include <string>

// The race state the main window owns for the life of the process.
// started, stridePhase, tenths and seconds are reset by Retry;
// runner, score and entryName are never reset.
struct RaceState
{
    int started = 0;
    int stridePhase = 0;
    int tenths = 0;
    int seconds = 0;
    int runner = 0;
    int score = 0;
    std::string entryName;
};

// Values of RaceState::stridePhase.
inline constexpr int RedPadExpected = 0;  // runner shows frame A
inline constexpr int BluePadExpected = 1; // runner shows frame B
inline constexpr int RaceFinished = 10;   // both pads frozen until Retry

inline constexpr int StartLeft = 24;  // every sprite frame at rest
inline constexpr int FinishLeft = 500; // a frame A beyond this has finished
inline constexpr int ClockIntervalMs = 70; // one tick is one tenth on the race clock

// A runner of the roster: the pixels it gains on each pad. Every runner gains
// six pixels a full stride; the swordsman takes his unevenly. The race screen
// holds each runner's sprite frames and goal pose.
struct Runner
{
    int redStep;
    int blueStep;
};

inline constexpr std::array<Runner, 5> RunnerRoster = {{
    {3, 3}, // 0 ポルカさん
    {3, 3}, // 1 嘆きの老人
    {5, 1}, // 2 サスライの剣士
    {3, 3}, // 3 ダイモン ゴロウ
    {3, 3}, // 4 ナギ先生
}};

// The clock tick looks at the runners' frames A in this order.
inline constexpr std::array<int, 5> FinishTestOrder = {0, 4, 3, 1, 2};

// One tick of the race clock: 0.9 is followed by 1.0.
void advanceClock(RaceState &race);

// The clock's caption, "12.3秒", without leading zeros or padding.
std::string clockCaption(int seconds, int tenths);

inline bool beyondFinish(int frameALeft) { return frameALeft > FinishLeft; }
