#!/bin/bash
# A sound card that takes every sample at once (ALSA's null device): the audio
# output's thread exists only while a tune sounds. None before the race, one
# from the race start, none again once the goal tune has rung out, and then
# the game sleeps.
source "$(dirname "$0")/lib.sh" "$@"

cat >"$WORK/asound.conf" <<'ALSA'
pcm.!default { type null }
ctl.!default { type hw card 99 }
ALSA
export ALSA_CONFIG_PATH="$WORK/asound.conf"

# audio_threads: the game's threads that FluidSynth's ALSA driver runs.
audio_threads() { grep -lx 'alsa-audio' /proc/"$GAME_PID"/task/*/comm 2>/dev/null || true; }
no_audio_thread() { [[ -z $(audio_threads) ]]; }

start_display
install_tunes
install_ranking
start_game
find_race_screen
focus "$MAIN_WINDOW"

point 300 100
sleep 1
no_audio_thread || fail "an audio thread before the race"
quiet_for 3 before_race

# The null device lets a tune run far faster than it sounds, so its thread
# may be gone again before it could be seen in /proc: watch it being named.
strace -f -qq -e trace=prctl -p "$GAME_PID" -o "$WORK/race.trace" &
tracer=$!
BACKGROUND_PIDS+=($tracer)
sleep 0.5   # strace attaches to every thread
sweep 40
kill -INT "$tracer" 2>/dev/null || true
wait "$tracer" 2>/dev/null || true
grep -q 'PR_SET_NAME, "alsa-audio"' "$WORK/race.trace" || fail "no audio thread started at the race start"
log "the race start opened the audio output"

sweep 45
dialog=$(find_window 'ランキング名前入力' 10)
[[ -n $dialog ]] || fail "no name dialog after 85 strides"
press_in "$dialog" Escape
wait_until 5 window_gone "$dialog" || fail "Esc did not close the name dialog"
wait_until 15 no_audio_thread || fail "the audio thread outlived the goal tune"
point 300 100
sleep 1
quiet_for 3 after_finish
click "$EXIT_X" "$BUTTON_Y"
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the exit button"
log "pass"
