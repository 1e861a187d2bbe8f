#pragma once

#include <array>

// The race by ear's sounds: one short note each, played by the synth the
// tunes sound through, on channels and with instruments the tunes never use
// (they play on channels 1 to 3 and the drums), so that each is heard over
// the race tune.
enum class Cue {
    RedStride,      // a half-stride counted on the red pad
    BlueStride,     // a half-stride counted on the blue pad
    Quarter,        // the runner has gone another quarter of the way
    PointerOffPads, // mid-race, the pointer left both pads
};

struct CueNote
{
    int channel; // 0 to 15; General MIDI's drums are channel 9
    int program; // General MIDI's instrument, 0 to 127
    int key;
    int velocity;
    int lengthMs; // held this long, then released
};

// clang-format off
inline constexpr std::array<CueNote, 4> CueNotes = {{
    {.channel = 12, .program = 13, .key = 84, .velocity = 100, .lengthMs = 80},   // red: a high xylophone note
    {.channel = 12, .program = 13, .key = 72, .velocity = 100, .lengthMs = 80},   // blue: an octave lower
    {.channel = 13, .program = 112, .key = 96, .velocity = 110, .lengthMs = 500}, // a quarter: a tinkle bell
    {.channel = 14, .program = 81, .key = 45, .velocity = 127, .lengthMs = 250},  // off the pads: a low buzz
}};
// clang-format on

constexpr const CueNote &cueNote(Cue cue)
{
    return CueNotes[static_cast<int>(cue)];
}
