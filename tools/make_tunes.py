#!/usr/bin/env python3
"""Writes the game's two songs as standard MIDI files (format 1):

  data/100m.mid  the race tune: lively, about 40 seconds, played once
  data/goal.mid  the goal fanfare: a few seconds

Change a note below and run this script again; it needs Python 3 only.
Notes are written as names ("C5" is the C above middle C, "r" a rest) with
lengths in eighth notes unless said otherwise.
"""
import pathlib
import struct
import sys

PPQ = 480                       # ticks per quarter note
EIGHTH = PPQ // 2
DRUMS = 9                       # General MIDI drum channel 10
NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def pitch(name):
    """"C5" -> 72, "F#4" -> 66."""
    semitone = NOTE_NAMES[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        semitone, rest = semitone + 1, rest[1:]
    elif rest.startswith("b"):
        semitone, rest = semitone - 1, rest[1:]
    return 12 * (int(rest) + 1) + semitone


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


class Track:
    """Timed events, written sorted by time; note-offs before note-ons."""

    def __init__(self, name):
        self.events = []
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, 0, bytes([0xFF, kind]) + var_len(len(data)) + data))

    def program(self, channel, number):
        self.events.append((0, 1, bytes([0xC0 | channel, number])))

    def control(self, channel, number, value):
        self.events.append((0, 1, bytes([0xB0 | channel, number, value])))

    def note(self, channel, tick, length, key, velocity):
        self.events.append((tick, 2, bytes([0x90 | channel, key, velocity])))
        self.events.append((tick + length, 1, bytes([0x80 | channel, key, 0])))

    def chunk(self):
        data, now = b"", 0
        for tick, _, event in sorted(self.events, key=lambda e: (e[0], e[1])):
            data += var_len(tick - now) + event
            now = tick
        data += var_len(0) + b"\xFF\x2F\x00"      # end of track at the last event
        return b"MTrk" + struct.pack(">I", len(data)) + data


def conductor(name, bpm, bars_ticks):
    track = Track(name)
    track.meta(0, 0x51, struct.pack(">I", 60_000_000 // bpm)[1:])
    track.meta(0, 0x58, bytes([4, 2, 24, 8]))
    track.meta(bars_ticks, 0x01, b"fine")          # the song ends here
    return track


def write(path, tracks):
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    path.write_bytes(header + b"".join(t.chunk() for t in tracks))


def phrase(track, channel, start, notes, velocity, unit=EIGHTH, legato=0.9):
    """Lays out "name:length" notes from `start`; returns the tick after them."""
    tick = start
    for item in notes.split():
        name, length = item.split(":")
        ticks = round(float(length) * unit)
        if name != "r":
            track.note(channel, tick, int(ticks * legato), pitch(name), velocity)
        tick += ticks
    return tick


# ---------------------------------------------------------------- race tune
RACE_BPM = 160
BAR = 8 * EIGHTH

# One chord per bar: root of the bass and the notes of the brass stabs.
CHORDS = {
    "C": ("C2", "C4 E4 G4"), "G": ("G1", "B3 D4 G4"), "Am": ("A1", "C4 E4 A4"),
    "F": ("F1", "C4 F4 A4"), "Em": ("E2", "B3 E4 G4"),
}
SECTION_A = ["C", "G", "Am", "F", "C", "G", "F", "G"]
SECTION_B = ["F", "G", "Em", "Am", "F", "G", "C", "G"]
MELODY_A = [
    "G4:1 C5:1 E5:1 G5:1 E5:2 C5:2", "D5:1 G5:1 B5:1 D6:1 B5:2 G5:2",
    "C5:1 E5:1 A5:1 C6:1 A5:2 E5:2", "F5:2 A5:2 C6:3 r:1",
    "E6:1 D6:1 C6:1 B5:1 C6:2 G5:2", "D6:1 C6:1 B5:1 A5:1 B5:2 G5:2",
    "A5:1 B5:1 C6:1 D6:1 E6:2 C6:2", "D6:2 B5:2 G5:2 r:2",
]
MELODY_B = [
    "A5:3 G5:1 F5:2 A5:2", "B5:3 A5:1 G5:2 B5:2",
    "G5:2 E5:2 B5:2 G5:2", "C6:3 B5:1 A5:4",
    "F5:1 A5:1 C6:1 F6:1 E6:2 C6:2", "D6:1 B5:1 G5:1 D6:1 C6:2 B5:2",
    "C6:2 G5:2 E5:2 G5:2", "D6:2 F6:2 G6:2 r:2",
]
INTRO = ["C", "G"]
FORM = [(SECTION_A, MELODY_A), (SECTION_B, MELODY_B), (SECTION_A, MELODY_A)]


def race_tune():
    melody, bass, stabs, drums = Track("melody"), Track("bass"), Track("brass"), Track("drums")
    melody.program(0, 80)        # square lead
    bass.program(1, 38)          # synth bass
    stabs.program(2, 62)         # synth brass
    stabs.control(2, 7, 70)

    bars = [(chord, None) for chord in INTRO]
    for chords, tunes in FORM:
        bars += list(zip(chords, tunes))

    for index, (chord, tune) in enumerate(bars):
        start = index * BAR
        root, stab = CHORDS[chord]
        for eighth in range(8):  # octave-jumping eighths drive the bass
            key = pitch(root) + (12 if eighth % 2 else 0)
            bass.note(1, start + eighth * EIGHTH, EIGHTH - 40, key, 100)
        for beat in (1, 3):      # off-beat brass stabs
            for name in stab.split():
                stabs.note(2, start + beat * PPQ + EIGHTH, EIGHTH - 60, pitch(name), 80)
        if tune:
            phrase(melody, 0, start, tune, 110)
        section_start = index >= len(INTRO) and (index - len(INTRO)) % 8 == 0
        fill = index == len(INTRO) - 1 or (index >= len(INTRO) and (index - len(INTRO)) % 8 == 7)
        race_drums(drums, start, crash=index == 0 or section_start, fill=fill)

    end = len(bars) * BAR        # the closing chord, held for a half note
    melody.note(0, end, PPQ * 2, pitch("C6"), 115)
    bass.note(1, end, PPQ * 2, pitch("C2"), 110)
    for name in "C4 E4 G4 C5".split():
        stabs.note(2, end, PPQ * 2, pitch(name), 95)
    drums.note(DRUMS, end, PPQ, 49, 120)
    drums.note(DRUMS, end, PPQ, 36, 120)
    song_end = end + PPQ * 2
    return [conductor("100m", RACE_BPM, song_end), melody, bass, stabs, drums]


def race_drums(track, start, crash, fill):
    kick, snare, hat, crash_cymbal = 36, 38, 42, 49
    for eighth in range(8):
        tick = start + eighth * EIGHTH
        track.note(DRUMS, tick, EIGHTH // 2, hat, 70 if eighth % 2 else 90)
        if eighth in (0, 4, 5):
            track.note(DRUMS, tick, EIGHTH // 2, kick, 115)
        if eighth in (2, 6) and not (fill and eighth == 6):
            track.note(DRUMS, tick, EIGHTH // 2, snare, 105)
    if crash:
        track.note(DRUMS, start, PPQ, crash_cymbal, 110)
    if fill:                     # a run of sixteenths into the next section
        for step in range(4):
            track.note(DRUMS, start + 6 * EIGHTH + step * EIGHTH // 2, EIGHTH // 4, snare, 90 + 8 * step)


# ---------------------------------------------------------------- goal fanfare
GOAL_BPM = 132
TRIPLET = PPQ / 3


def goal_fanfare():
    trumpet, brass, timpani, drums = Track("trumpet"), Track("brass"), Track("timpani"), Track("drums")
    trumpet.program(0, 56)
    brass.program(1, 61)
    timpani.program(2, 47)

    tune = ("G4:1 G4:1 G4:1 C5:3 G4:1.5 C5:1.5 E5:3 "
            "D5:1 D5:1 E5:1 F5:3 E5:1.5 F5:1.5 G5:9")
    end = phrase(trumpet, 0, 0, tune, 120, unit=TRIPLET, legato=0.85)
    for beat, chord, length in ((1, "C4 E4 G4", 3), (4, "B3 D4 G4", 3), (7, "C4 E4 G4 C5", 3)):
        for name in chord.split():
            brass.note(1, beat * PPQ, length * PPQ - 40, pitch(name), 95)
    for beat, name in ((1, "C3"), (3, "G2"), (4, "G2"), (6, "G2"), (7, "C3")):
        timpani.note(2, beat * PPQ, PPQ // 2, pitch(name), 110)
    for step in range(6):        # a snare roll up to the first note
        drums.note(DRUMS, int(step * TRIPLET / 2), 40, 38, 70 + 8 * step)
    drums.note(DRUMS, PPQ, PPQ, 49, 110)
    drums.note(DRUMS, 7 * PPQ, 2 * PPQ, 49, 125)
    drums.note(DRUMS, 7 * PPQ, PPQ, 36, 120)
    return [conductor("goal", GOAL_BPM, end), trumpet, brass, timpani, drums]


def main():
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent / "data"
    out.mkdir(parents=True, exist_ok=True)
    for name, tracks, bpm in (("100m.mid", race_tune(), RACE_BPM), ("goal.mid", goal_fanfare(), GOAL_BPM)):
        write(out / name, tracks)
        end = max(tick for track in tracks for tick, _, _ in track.events)
        print(f"{out / name}: {end / PPQ * 60 / bpm:.1f} s")


if __name__ == "__main__":
    main()
