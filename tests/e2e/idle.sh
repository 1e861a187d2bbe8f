#!/bin/bash
# With the clock stopped the game sleeps: no system call at all for 3 s, on
# any thread, before a race and after a finish (goal tune under way). Without
# a sound card, wherever the test runs: sound.sh covers the machine with one.
source "$(dirname "$0")/lib.sh" "$@"
needs_tracing attach

without_sound_card

open_race_screen
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
exit_by_button
log "pass"
