#!/bin/bash
# A sound card (ALSA's null device, fed into a pipe that is drained at a sound
# card's pace): the audio output's thread exists only while a tune sounds.
# None before the race, one from the race start, none again once the goal
# tune has rung out (about 4.5 s and FluidSynth's 2 s grace), and then the
# game sleeps. The race is run by ear (F4) with a race tune that has no notes:
# what the card plays mid-race is the strides' sounds, silence once the strides
# stop, and the warning when the pointer leaves the pads.
source "$(dirname "$0")/lib.sh" "$@"
needs_tracing attach
soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2
[[ -f $soundfont ]] || skip "no soundfont at $soundfont (Debian: timgm6mb-soundfont)"

mkfifo "$WORK/card"
cat >"$WORK/asound.conf" <<ALSA
pcm.!default { type file slave { pcm { type null } } file "$WORK/card" format raw }
ctl.!default { type hw card 99 }
ALSA
export ALSA_CONFIG_PATH="$WORK/asound.conf"
# 35280 bytes a tenth of a second, a little faster than the card's pace
# (FluidSynth writes 44.1 kHz stereo in 16-bit samples); what it reads is kept
# in card.raw. Opened for writing too, so that a closed output is no end of
# the pipe.
(
    exec 3<>"$WORK/card"
    while :; do
        timeout 1 head -c 35280 <&3 >>"$WORK/card.raw" || true
        sleep 0.1
    done
) </dev/null &
BACKGROUND_PIDS+=($!)
played() { stat -c %s "$WORK/card.raw" 2>/dev/null || echo 0; }
# loudest_between FROM TO: the loudest sample the card played between two
# sizes of card.raw, in FluidSynth's 16-bit stereo frames.
loudest_between()
{
    /usr/bin/python3 - "$WORK/card.raw" "$1" "$2" <<'PY'
import array, sys
name, start, end = sys.argv[1], int(sys.argv[2]) // 4 * 4, int(sys.argv[3]) // 4 * 4
samples = array.array("h")
with open(name, "rb") as card:
    card.seek(start)
    samples.frombytes(card.read(end - start))
print(max(map(abs, samples), default=0))
PY
}

# The game's threads that FluidSynth's ALSA driver runs.
audio_threads() { grep -lx 'alsa-audio' /proc/"$GAME_PID"/task/*/comm 2>/dev/null || true; }
audio_thread() { [[ -n $(audio_threads) ]]; }
no_audio_thread() { [[ -z $(audio_threads) ]]; }

start_display
install_tunes
# The race tune muted: two minutes without a note.
printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\15\0\377\121\3\7\241\40\207\203\100\377\57\0' >"$PLAY/100m.mid"
install_ranking
start_game
find_race_screen
focus "$MAIN_WINDOW"
xdotool key F4

point 300 100
sleep 1
no_audio_thread || fail "an audio thread before the race"
quiet_for 3 before_race

sweep 1
wait_until 2 audio_thread || fail "no audio thread at the race start"
from=$(played)
sweep 39
audio_thread || fail "no audio thread in the middle of the race"
log "the race tune has its audio thread"
sleep 1
level=$(loudest_between "$from" "$(played)")
((level > 1000)) || fail "the strides were not heard (loudest $level)"
log "the strides heard over the muted tune (loudest $level)"
# Strides stopped, the pointer still on a pad: silence, once the last one has
# rung out.
sleep 2
from=$(played)
sleep 1
level=$(loudest_between "$from" "$(played)")
((level < 50)) || fail "sound while no stride was made (loudest $level)"
from=$(played)
point 300 100
sleep 1.5
level=$(loudest_between "$from" "$(played)")
((level > 1000)) || fail "no warning as the pointer left the pads (loudest $level)"
log "silence between strides; the pointer off the pads warned of (loudest $level)"

sweep 45
finished=$SECONDS
dialog=$(find_window 'ランキング名前入力' 10)
[[ -n $dialog ]] || fail "no name dialog after 85 strides"
press_in "$dialog" Escape
wait_until 5 window_gone "$dialog" || fail "Esc did not close the name dialog"
wait_until 20 no_audio_thread || fail "the audio thread outlived the goal tune"
log "the audio thread ended about $((SECONDS - finished)) s after the finish"
point 300 100
sleep 1
quiet_for 3 after_finish
exit_by_button
log "pass"
