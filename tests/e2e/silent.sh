#!/bin/bash
# A machine without a sound card: the game races, finishes and ends without a
# word on its stderr or stdout. ALSA is given a configuration whose only card
# does not exist, so this holds wherever the test runs. Also: Esc in the name
# dialog still enters the race, as "名前なし".
source "$(dirname "$0")/lib.sh" "$@"

without_sound_card

open_race_screen

sweep 85
dialog=$(find_window 'ランキング名前入力' 10)
[[ -n $dialog ]] || fail "no name dialog after 85 strides"
press_in "$dialog" Escape
wait_until 10 env LC_ALL=C grep -q $'^\x96\xbc\x91\x4f\x82\xc8\x82\xb5\r$' "$PLAY/rank.mlt" ||
    fail "Esc did not enter the race as 名前なし"
mapfile -t lines < <(tr -d '\r' <"$PLAY/rank.mlt")
[[ ${lines[NAME_LINE + 1]} == E2E && ${lines[NAME_LINE + RANKING_PLACES - 1]} == E2E &&
   ${#lines[@]} == "$RANKING_LINES" ]] ||
    fail "the entries below did not move down by one"

click "$RETRY_X" "$BUTTON_Y"
sweep 10
exit_by_button
[[ ! -s $WORK/game.err ]] || fail "the game wrote to stderr: $(head -c 1000 "$WORK/game.err")"
[[ ! -s $WORK/game.out ]] || fail "the game wrote to stdout: $(head -c 1000 "$WORK/game.out")"
log "pass"
