#!/bin/bash
# The ways to end the game other than its exit button: the close box and
# Alt+F4, the latter also with the ranking window shown.
source "$(dirname "$0")/lib.sh" "$@"

open_race_screen
click_close_box
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the close box"
log "close box: exit code 0"

start_game
find_race_screen
click "$RANKING_X" "$BUTTON_Y"
ranking=$(find_window 'ランキング' 10)
[[ -n $ranking ]] || fail "no ranking window"
# Alt+F4 on the ranking window only hides it.
press_in "$ranking" alt+F4
wait_until 5 window_gone "$ranking" || fail "Alt+F4 did not hide the ranking window"
sleep 0.3
process_gone "$GAME_PID" && fail "Alt+F4 on the ranking window ended the game"
# Shown again, it goes with the race screen.
click "$RANKING_X" "$BUTTON_Y"
[[ -n $(find_window 'ランキング' 10) ]] || fail "the ranking window did not come back"
press_in "$MAIN_WINDOW" alt+F4
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after Alt+F4"
log "Alt+F4: exit code 0"
[[ ! -s $WORK/game.err ]] || fail "the game wrote to stderr: $(head -c 500 "$WORK/game.err")"
log "pass"
