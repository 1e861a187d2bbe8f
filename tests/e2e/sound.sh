#!/bin/bash
# A sound card (ALSA's null device, fed into a pipe that is drained at a sound
# card's pace): the audio output's thread exists only while a tune sounds.
# None before the race, one from the race start, none again once the goal
# tune has rung out (about 4.5 s and FluidSynth's 2 s grace), and then the
# game sleeps.
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
# 44.1 kHz stereo in 32-bit floats, a tenth of a second at a time. Opened for
# writing too, so that a closed output is no end of the pipe.
(
    exec 3<>"$WORK/card"
    while :; do
        timeout 1 head -c 35280 <&3 >/dev/null || true
        sleep 0.1
    done
) </dev/null &
BACKGROUND_PIDS+=($!)

# The game's threads that FluidSynth's ALSA driver runs.
audio_threads() { grep -lx 'alsa-audio' /proc/"$GAME_PID"/task/*/comm 2>/dev/null || true; }
audio_thread() { [[ -n $(audio_threads) ]]; }
no_audio_thread() { [[ -z $(audio_threads) ]]; }

open_race_screen
focus "$MAIN_WINDOW"

point 300 100
sleep 1
no_audio_thread || fail "an audio thread before the race"
quiet_for 3 before_race

sweep 1
wait_until 2 audio_thread || fail "no audio thread at the race start"
sweep 39
audio_thread || fail "no audio thread in the middle of the race"
log "the race tune has its audio thread"

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
