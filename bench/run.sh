#!/bin/sh
# Prints the game's performance figures beside the toolkit's floor, measured
# in the same run; never fails on a figure.
# Usage: bench/run.sh [runs of each start-up and first note, default 9]
# Needs Xvfb, strace, valgrind, python3, the X test extension's headers and,
# for the first note, PulseAudio with its tools and ALSA plugin: installs what
# is missing when run as root, else names it. Builds into build/ with
# MILTA_BENCH=ON.
set -eu
runs=${1:-9}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MILTA_BENCH_BUILD:-$root/build}

needed="xvfb strace valgrind python3 libxtst-dev pulseaudio pulseaudio-utils libasound2-plugins"
missing=$(for package in $needed; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || echo "$package"
done)
if [ -n "$missing" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "bench/run.sh needs these Debian packages:" $missing >&2
        exit 2
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DMILTA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target milta100m milta_floor firstframe pointer milta_bench >/dev/null

game=$build/src/app/milta100m
floor=$build/bench/milta_floor
bench=$build/bench/milta_bench
probe=$build/bench/firstframe
pointer=$build/bench/pointer

work=$(mktemp -d)
chmod 700 "$work"
# A screen of our own: Xvfb picks a free display and names it when ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -br -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
sound=
trap 'kill $xvfb $sound 2>/dev/null; rm -rf "$work"' EXIT
for i in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(cat "$work/display")
cp "$root/data/100m.mid" "$root/data/goal.mid" "$work/"
cd "$work"
export DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work HOME=$work

# A ranking file is there, as after the first game, so no error box shows.
python3 -c '
import sys
name = "名前なし".encode("cp932")
lines = [b"50"] * 10 + [b"0"] * 10 + [name] * 10 + [b"500"] * 10 + [b""] * 5
sys.stdout.buffer.write(b"".join(l + b"\r\n" for l in lines))' >rank.mlt

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
range() { sort -n | awk '{ v[NR] = $1 } END { printf "%s to %s", v[1], v[NR] }'; }
column() { awk -v c="$1" '{ print $c }' "$2"; }
ratios() { awk -v a="$1" -v b="$2" '{ printf "%.2f\n", $a / $b }' "$3"; }
# CPU time of a process, all its threads, in nanoseconds.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { print s }'; }
# A busy X server now and then turns a new client away: tried again.
again() { for try in 1 2 3; do "$@" && return; sleep 0.2; done; return 1; }

# Start-up, floor and game taken in turns, so that both meet the same load:
# the time to the first frame (the sky pixel (251, 272) of the screen
# changing), the CPU time used by then, and the resident memory 1 s later.
: >startup.txt
for i in $(seq "$runs"); do
    g=$(again "$probe" 251 272 "$game" 2>/dev/null) && f=$(again "$probe" 251 272 "$floor" 2>/dev/null) &&
        echo "$g $f" >>startup.txt
done
echo "start-up to the first painted frame, $(wc -l <startup.txt) pairs: game $(column 1 startup.txt | median) ms" \
    "($(column 1 startup.txt | range)), floor $(column 5 startup.txt | median) ms ($(column 5 startup.txt | range));" \
    "ratio $(ratios 1 5 startup.txt | median) ($(ratios 1 5 startup.txt | range) pair by pair);" \
    "first pixel $(column 2 startup.txt | sort | uniq -c | sort -rn | head -n 1 | awk '{ print $2 }')"
echo "CPU time by the first frame: game $(column 4 startup.txt | median) ms, floor $(column 8 startup.txt | median) ms;" \
    "ratio $(ratios 4 8 startup.txt | median) ($(ratios 4 8 startup.txt | range))"
# The same start-up in instructions under callgrind, which no load moves: all
# threads, up to the end of the first paint and its flush to the screen.
instructions() { # program: millions of instructions
    valgrind --tool=callgrind --callgrind-out-file="cg.$2.%p" --dump-after='QWidgetRepaintManager::paintAndFlush()' \
        "$1" >/dev/null 2>&1 &
    for i in $(seq 600); do ls cg."$2".*.1 >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 0.5
    kill $!
    wait $! 2>/dev/null || true
    sed -n 's/^summary: *//p' cg."$2".*.1 | awk '{ printf "%.1f", $1 / 1e6 }'
}
game_instructions=$(instructions "$game" game)
floor_instructions=$(instructions "$floor" floor)
echo "instructions to the first frame: game $game_instructions million, floor $floor_instructions million;" \
    "ratio $(echo "$game_instructions $floor_instructions" | awk '{ printf "%.2f", $1 / $2 }')"
awk '{ printf "%.1f %.1f %.1f\n", $3 / 1024, $7 / 1024, ($3 - $7) / 1024 }' startup.txt >memory.txt
echo "resident memory 1 s after the first frame: game $(column 1 memory.txt | median) MiB," \
    "floor $(column 2 memory.txt | median) MiB, difference $(column 3 memory.txt | median) MiB" \
    "($(column 3 memory.txt | range))"

# A sweep as a player makes it: 6000 pointer motions through the X server, 1000
# a second, back and forth over the red and the blue pad (35 motions each
# way, 85 strides: the runner stays short of the finish). The floor's bare
# window, at the same place, has no handler. No sound output here.
sweep() { # program: CPU microseconds per motion
    "$1" 2>/dev/null &
    pid=$!
    sleep 2
    again "$pointer" move 300 300 >/dev/null
    sleep 0.5
    before=$(cpu_ns "$pid")
    again "$pointer" sweep 6000 290 430 495 35 1000
    sleep 0.3
    after=$(cpu_ns "$pid")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$before $after" | awk '{ printf "%.1f", ($2 - $1) / 6000 / 1000 }'
}
: >sweep.txt
for i in 1 2 3; do
    echo "$(sweep "$game") $(sweep "$floor")" >>sweep.txt
done
echo "CPU per pointer motion in a sweep (6000 motions, 3 pairs): game $(column 1 sweep.txt | median) µs" \
    "($(column 1 sweep.txt | range)), floor $(column 2 sweep.txt | median) µs ($(column 2 sweep.txt | range));" \
    "ratio $(ratios 1 2 sweep.txt | median) ($(ratios 1 2 sweep.txt | range))"

# Idle: the race screen shown, the clock stopped, nothing touched for 10 s.
# The game runs under strace from its start (attaching to a running process
# shows no calls in this sandbox); calls stamped within the 10 s are counted.
strace -f -ttt -o idle.txt "$game" 2>/dev/null &
tracer=$!
sleep 3
pid=$(pgrep -P "$tracer")
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(ticks)
from=$(date +%s.%N)
sleep 10
to=$(date +%s.%N)
after=$(ticks)
calls=$(awk -v from="$from" -v to="$to" '$2 + 0 >= from && $2 + 0 < to' idle.txt | wc -l)
echo "idle for 10 s: $calls system calls, $((after - before)) clock ticks of CPU ($(getconf CLK_TCK) a second)"
awk -v from="$from" -v to="$to" '$2 + 0 >= from && $2 + 0 < to' idle.txt | head -n 5 | sed 's/^/    /'
kill "$pid"
wait "$tracer" 2>/dev/null || true

# The first note: from the pointer's first motion onto the red pad to the race
# tune's first sound, against paplay of a tone from its start, both heard on
# the monitor of one PulseAudio null sink. A fresh game for each race.
pulseaudio -n --daemonize=no --exit-idle-time=-1 -L "module-null-sink sink_name=bench" \
    -L module-native-protocol-unix >pulse.log 2>&1 &
sound=$!
for i in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
python3 -c '
import math, struct, wave
tone = wave.open("tone.wav", "wb")
tone.setnchannels(2)
tone.setsampwidth(2)
tone.setframerate(44100)
tone.writeframes(b"".join(struct.pack("<hh", s, s) for s in
                          (int(8000 * math.sin(2 * math.pi * 440 * i / 44100)) for i in range(22050))))'
firstnote() { python3 "$root/bench/firstnote.py" bench.monitor "$@" || echo none; }
: >note.txt
for i in $(seq "$runs"); do
    "$game" 2>/dev/null &
    pid=$!
    sleep 2
    again "$pointer" move 300 300 >/dev/null
    sleep 0.3
    heard=$(firstnote "$pointer" move 300 495)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$heard $(firstnote paplay tone.wav)" >>note.txt
done
kill "$sound"
sound=
awk '$1 != "none" && $2 != "none" { printf "%.1f\n", $1 - $2 }' note.txt >notediff.txt
echo "first note of the race tune after the first stride, $runs pairs: game $(column 1 note.txt | median) ms" \
    "($(column 1 note.txt | range)), paplay of a tone $(column 2 note.txt | median) ms" \
    "($(column 2 note.txt | range)); difference $(median <notediff.txt) ms ($(range <notediff.txt))"

export QT_QPA_PLATFORM=offscreen
"$bench" synth 2>/dev/null
"$bench" clock 2>/dev/null
"$bench" stride 7000 2>/dev/null
valgrind --tool=callgrind --callgrind-out-file=callgrind.out --collect-atstart=no \
    --toggle-collect='*runStrides*' "$bench" stride 700 >/dev/null 2>&1
instructions=$(sed -n 's/^summary: *//p' callgrind.out)
echo "stride under callgrind: $((instructions / 700)) instructions per stride (700 strides)"
"$bench" ranking 2>/dev/null
