#!/bin/bash
# The ways to end the game other than its exit button: the close box and
# Alt+F4, the latter also with the ranking window shown; the close box after
# a start beside a Wayland socket that never answers. Then the exit button
# with a finish not saved yet, another process holding the play folder's lock:
# the race screen goes at once, the save goes on without a window; freed
# within a few seconds, the entry is in rank.mlt; held on, the error box says
# so before the game ends, with exit code 0 either way.
E2E_TIMEOUT=${E2E_TIMEOUT:-110} # five starts and two races
source "$(dirname "$0")/lib.sh" "$@"

# hold_lock: another process takes the play folder's lock until release_lock.
hold_lock()
{
    (exec 8<"$PLAY" && flock -x 8 && exec sleep 120) </dev/null >/dev/null 2>&1 &
    LOCK_PID=$!
    BACKGROUND_PIDS+=("$LOCK_PID")
    wait_until 5 eval '! flock -n -x "$PLAY" true' || fail "the play folder's lock was not taken"
}
release_lock() { kill "$LOCK_PID"; }

# A race run to the finish, the name dialog answered with Return, then the
# exit button: the race screen is gone at once while the game still runs.
finish_and_exit()
{
    point "$RED_X" "$PAD_Y"
    sweep 85
    local dialog
    dialog=$(find_window 'ランキング名前入力' 10)
    [[ -n $dialog ]] || fail "no name dialog after 85 strides"
    press_in "$dialog" Return
    wait_until 5 window_gone "$dialog" || fail "the name dialog stayed open"
    click "$EXIT_X" "$BUTTON_Y"
    wait_until 2 window_gone "$MAIN_WINDOW" || fail "the race screen stayed on the screen after the exit"
    ! process_gone "$GAME_PID" || fail "the game ended at once, the lock still held"
}

# The name of place 1 in rank.mlt.
first_name() { iconv -f CP932 -t UTF-8 "$PLAY/rank.mlt" | tr -d '\r' | sed -n "$((NAME_LINE + 1))p"; }

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

# A Wayland socket whose listen backlog is full beside an X server that
# answers: connect() to it waits for ever, yet the race screen comes.
python3 -c 'import signal, socket, sys
server = socket.socket(socket.AF_UNIX); server.bind(sys.argv[1]); server.listen(0)
waiting = socket.socket(socket.AF_UNIX); waiting.connect(sys.argv[1])
print(flush=True); signal.pause()' "$WORK/wayland-full" >"$WORK/wayland-full.ready" 2>&1 &
BACKGROUND_PIDS+=($!)
wait_until 10 test -s "$WORK/wayland-full.ready" || fail "the Wayland socket did not fill: $(cat "$WORK/wayland-full.ready")"
WAYLAND_DISPLAY="$WORK/wayland-full" start_game
find_race_screen
click_close_box
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after a start beside a full Wayland socket"
log "a full Wayland socket beside an answering X server: the race screen"

start_game
find_race_screen
hold_lock
finish_and_exit
sleep 1
! process_gone "$GAME_PID" || fail "the game ended without waiting for the lock"
release_lock
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after a save that waited for the lock"
[[ $(first_name) == 名前なし ]] || fail "the entry saved at the exit is not in rank.mlt: '$(first_name)' is first"
log "the lock freed during the exit: the entry saved, exit code 0"

install_ranking
cp "$PLAY/rank.mlt" "$WORK/rank.before"
start_game
find_race_screen
hold_lock
finish_and_exit
box=$(find_window Milta100m 15)
[[ -n $box ]] || fail "no error box after the exit's save failed"
[[ -z $(visible_windows "$MAIN_TITLE") ]] || fail "the race screen came back with the error box"
press_in "$box" Return
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the exit's save failed"
release_lock
cmp -s "$WORK/rank.before" "$PLAY/rank.mlt" || fail "rank.mlt changed though the lock was held"
log "the lock held through the exit: the error box, exit code 0"
[[ ! -s $WORK/game.err ]] || fail "the game wrote to stderr: $(head -c 500 "$WORK/game.err")"
log "pass"
