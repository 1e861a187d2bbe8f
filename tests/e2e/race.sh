#!/bin/bash
# A whole first race: the missing-ranking box, the strides, the finish, the
# name entry, rank.mlt read back byte for byte, the ranking window, Retry and
# the exit button.
source "$(dirname "$0")/lib.sh" "$@"

shows_race_at_rest()
{
    capture "$1" && shows_picture "$1" 24 128 runner0_a.xpm
}

start_display
install_tunes
start_game
dismiss_missing_ranking_box
find_race_screen

wait_until 5 shows_race_at_rest start || fail "runner 0 frame A is not at x 24 at start"
[[ $(colours start "$CLOCK_GEOMETRY" | wc -l) -gt 1 ]] || fail "no clock drawn at start"

# The pads on the real screen: red x 48..127, blue x 128..208 (the shared
# column is blue's), rows 281..305, on the orange ground.
for probe in 47,293,FF8000 48,293,FF0000 127,293,FF0000 128,293,0000FF 208,293,0000FF 209,293,FF8000 \
             88,280,FF8000 88,281,FF0000 88,305,FF0000 88,306,FF8000 168,281,0000FF 168,305,0000FF; do
    IFS=, read -r x y rgb <<<"$probe"
    [[ $(pixel start "$x" "$y") == "$rgb" ]] || fail "pixel ($x, $y) is $(pixel start "$x" "$y"), not $rgb"
done

# The first half-stride: frame B, three pixels on.
race_start=$(date +%s%N)
point "$RED_X" "$PAD_Y"
wait_until 5 eval 'capture red && shows_picture red 27 128 runner0_b.xpm' ||
    fail "the red pad did not show frame B at x 27"
sweep 40
# The last strides may still be on their way through the X server.
wait_until 5 eval 'capture mid_race && shows_picture mid_race 264 128 runner0_a.xpm' ||
    fail "after 40 strides runner 0 is not at x 264"
[[ $(colours mid_race 70x95+24+128) == "$SKY_RGB" ]] || fail "the runner left a trace at x 24"
[[ $(differing start mid_race) != 0 ]] || fail "nothing changed on the screen"

# Moves that reach the game together, as from a fast mouse on a busy machine:
# with the game stopped, ten strides wait in the X server and arrive in one
# batch. Each pad the pointer entered counts, in order.
kill -STOP "$GAME_PID"
xdotool $(for ((i = 0; i < 10; i++)); do
    echo mousemove $((ORIGIN_X + RED_X)) $((ORIGIN_Y + PAD_Y)) mousemove $((ORIGIN_X + BLUE_X)) $((ORIGIN_Y + PAD_Y))
done)
kill -CONT "$GAME_PID"
wait_until 5 eval 'capture batched && shows_picture batched 324 128 runner0_a.xpm' ||
    fail "ten strides that arrived in one batch did not bring runner 0 from x 264 to x 324"

# The rest of the 80 strides; the finish is seen at a tick.
sweep 35
dialog=$(find_window 'ランキング名前入力' 10)
[[ -n $dialog ]] || fail "no name dialog after 85 strides"
race_end=$(date +%s%N)
sleep 0.1
capture finish_1
sleep 0.4
capture finish_2

shows_picture finish_1 504 128 runner0_goal.xpm || fail "the goal pose of runner 0 is not at x 504"
[[ $(colours finish_1 70x95+24+128) == "$SKY_RGB" ]] || fail "a runner frame still stands at x 24"
crop start "$CLOCK_GEOMETRY" clock_start
crop finish_1 "$CLOCK_GEOMETRY" clock_1
crop finish_2 "$CLOCK_GEOMETRY" clock_2
[[ $(differing clock_1 clock_2) == 0 ]] || fail "the clock still runs after the finish"
[[ $(differing clock_start clock_1) != 0 ]] || fail "the clock shows its start time after a race"

# "名前なし" is selected, so typing replaces it.
# xdotool's typing of non-Latin text drops characters now and then, so the
# name stays Latin.
name='Polka E2E'
focus "$dialog"
xdotool type --delay 30 "$name"
sleep 0.2
xdotool key Return
wait_until 10 test -s "$PLAY/rank.mlt" || fail "rank.mlt was not written"
wait_until 5 window_gone "$dialog" || fail "the name dialog stayed open"

# The file: the new entry at place 1 above the ten built-in entries of 50.0 s,
# the old tenth dropped, five empty lines, every line ended by CR LF, names in
# code page 932.
cp "$PLAY/rank.mlt" "$WORK/rank.mlt"
mapfile -t lines < <(tr -d '\r' <"$WORK/rank.mlt")
seconds=${lines[SECONDS_LINE]} tenths=${lines[TENTHS_LINE]} score=${lines[TIME_LINE]}
[[ $seconds =~ ^[0-9]+$ && $tenths =~ ^[0-9]$ && $score =~ ^[0-9]+$ ]] ||
    fail "time lines unreadable: '$seconds' '$tenths' '$score'"
((score == 10 * seconds + tenths)) || fail "time $score is not $seconds s and $tenths tenths"
# One tick is 70 ms and never comes early.
most=$(((race_end - race_start) / 70000000 + 1))
((score >= 1 && score <= most)) || fail "time $score tenths, impossible in $((most * 70)) ms of racing"
ranking_table 50 0 名前なし 500
TABLE[SECONDS_LINE]=$seconds TABLE[TENTHS_LINE]=$tenths TABLE[NAME_LINE]=$name TABLE[TIME_LINE]=$score
printf '%s\r\n' "${TABLE[@]}" | iconv -f UTF-8 -t CP932 >"$WORK/rank.expected"
cmp "$WORK/rank.expected" "$WORK/rank.mlt" >&2 || {
    od -c "$WORK/rank.mlt" | head -40 >&2
    fail "rank.mlt is not the expected $RANKING_LINES lines"
}
log "ranked: $seconds.$tenths s ($score tenths) as '$name'"

click "$RANKING_X" "$BUTTON_Y"
ranking=$(find_window 'ランキング' 10)
[[ -n $ranking ]] || fail "the ranking button showed no ranking window"
# Its OK image hides it again (it covers the toolbar).
click_in "$ranking" "$RANKING_OK_X" "$RANKING_OK_Y"
wait_until 5 window_gone "$ranking" || fail "the ranking window's OK did not hide it"

# Retry: runner 0 back at x 24 in frame A, the clock back at its start.
click "$RETRY_X" "$BUTTON_Y"
wait_until 5 shows_race_at_rest retried || fail "Retry did not put runner 0 back at x 24"
crop retried "$CLOCK_GEOMETRY" clock_retried
[[ $(differing clock_start clock_retried) == 0 ]] || fail "Retry left the clock at its final time"
crop start 71x105+504+128 goal_start
crop retried 71x105+504+128 goal_retried
[[ $(differing goal_start goal_retried) == 0 ]] || fail "the goal pose stays after Retry"

exit_by_button
log "pass"
