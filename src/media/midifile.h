#pragma once

#include "core/exception.h"

#include <bitset>
#include <optional>
#include <string>
#include <string_view>

// What can be wrong with a song file when a player opens it. FluidSynth only
// looks at a song when it first plays it, so the game checks the file itself.
enum class MidiFileFault {
    None,
    Missing,           // no such file
    Unreadable,        // there, but cannot be read (a folder, no permission)
    Empty,             // zero bytes
    NotMidi,           // does not start with a "MThd" header chunk
    BadHeader,         // header chunk too short, or of the wrong length
    UnsupportedFormat, // format 2, or timed in SMPTE frames
    NoTracks,          // the header announces no track
    Truncated,         // a chunk runs past the end of the file
};

// Checks the bytes of a standard MIDI file: header chunk of length 6, format 0
// or 1, ticks per quarter note, at least one track, and every chunk up to the
// last announced track inside the file. Chunks of unknown kinds are skipped.
MidiFileFault checkMidiFile(std::string_view bytes);

// Reads and checks the song file at `path` (a name in the file system's
// encoding). On success `bytes` holds the whole file.
MidiFileFault loadMidiFile(const std::string &path, std::string &bytes);

// The programs (0 to 127) that the program changes in every track of a song
// file choose, whatever their channel or bank. Nothing when the tracks cannot
// be read event by event without doubt (running status after a meta or system
// exclusive event, a byte that starts no event, a track cut short): then the
// song may choose any program.
std::optional<std::bitset<128>> programsChosen(std::string_view bytes);

// The error of a failed open for a fault of the file (Unknown for None).
Fault openFault(MidiFileFault fault);
