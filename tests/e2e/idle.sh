#!/bin/bash
# With the clock stopped the game sleeps: no system call at all for 3 s, on
# any thread, before a race and after a finish (goal tune under way). Without
# a sound card, wherever the test runs: sound.sh covers the machine with one.
source "$(dirname "$0")/lib.sh" "$@"

cat >"$WORK/asound.conf" <<'ALSA'
pcm.!default { type hw card 99 }
ctl.!default { type hw card 99 }
ALSA
export ALSA_CONFIG_PATH="$WORK/asound.conf"

start_display
install_tunes
install_ranking
start_game
find_race_screen
focus "$MAIN_WINDOW"

point 300 100
sleep 1     # let the start-up settle and any tooltip state run out
quiet_for 3 before_race

sweep 85
dialog=$(find_window 'ランキング名前入力' 10)
[[ -n $dialog ]] || fail "no name dialog after 85 strides"
press_in "$dialog" Escape
wait_until 5 window_gone "$dialog" || fail "Esc did not close the name dialog"
point 300 100
sleep 1
quiet_for 3 after_finish
click "$EXIT_X" "$BUTTON_Y"
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the exit button"
log "pass"
