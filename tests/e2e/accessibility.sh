#!/bin/bash
# The game for a player with a screen reader or at the keyboard. Through the
# AT-SPI registry, as a screen reader sees it: the race screen's roles, names,
# actions and keys; a race whose clock is told at most once a second and at
# the finish; Press on リトライ, which resets the race, and on ランキング,
# whose ten rows read back in order. Then real key presses: F2 and Ctrl+N
# start a new race from the race screen and the ranking window, F1 opens the
# help, Ctrl+Q quits from the version window, and none of them acts while the
# name dialog is open.

# A session bus of the test's own, which the accessibility bus hangs off.
if [[ -z ${MILTA_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session not found (Debian: dbus-daemon)"; exit 77; }
    exec dbus-run-session -- env MILTA_PRIVATE_BUS=1 bash "$0" "$@"
fi
bus=$DBUS_SESSION_BUS_ADDRESS
source "$(dirname "$0")/lib.sh" "$@"
export DBUS_SESSION_BUS_ADDRESS=$bus

BUS_LAUNCHER=/usr/libexec/at-spi-bus-launcher
[[ -x $BUS_LAUNCHER ]] || skip "$BUS_LAUNCHER not found (Debian: at-spi2-core)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi not found (Debian: python3-pyatspi)"
ATSPI=(/usr/bin/python3 "$TESTS_DIR/atspi.py")
atspi() { "${ATSPI[@]}" "$@"; }

shows_race_at_rest()
{
    capture "$1" && shows_picture "$1" 24 128 runner0_a.xpm
}

# run_a_little: a few strides, and the runner has left the start.
run_a_little()
{
    sweep 5
    capture running
    ! shows_picture running 24 128 runner0_a.xpm || fail "five strides did not move the runner"
}

# Places 1 to 10: P1 at 10.0 s, P2 at 11.1 s, ... P10 at 19.9 s.
write_ranking()
{
    local k
    {
        for k in {0..9}; do printf '%s\r\n' $((10 + k)); done
        for k in {0..9}; do printf '%s\r\n' "$k"; done
        for k in {0..9}; do printf 'P%s\r\n' $((k + 1)); done
        for k in {0..9}; do printf '%s\r\n' $(((10 + k) * 10 + k)); done
        printf '\r\n\r\n\r\n\r\n\r\n'
    } >"$PLAY/rank.mlt"
}

start_display
# With the display known, the launcher also names its bus on the root window.
"$BUS_LAUNCHER" --launch-immediately </dev/null >"$WORK/at-spi.log" 2>&1 &
BACKGROUND_PIDS+=($!)
a11y_bus_up() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; }
wait_until 15 a11y_bus_up || fail "the accessibility bus did not start"
install_tunes
write_ranking
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_game
find_race_screen
atspi race-screen || fail "the race screen's tree"

# A race, with an ear on what the labels announce.
"${ATSPI[@]}" listen "$WORK/heard" &
listener=$!
BACKGROUND_PIDS+=($listener)
wait_until 20 test -e "$WORK/heard.ready" || fail "the AT-SPI listener did not start"
race_start=$(date +%s%N)
point "$RED_X" "$PAD_Y"
sweep 85
dialog=$(find_window 'ランキング名前入力' 10)
[[ -n $dialog ]] || fail "no name dialog after 85 strides"
race_end=$(date +%s%N)
# The dialog holds the game's keys: a new race or quitting would lose the entry.
press_in "$dialog" F2
xdotool key --clearmodifiers ctrl+q ctrl+n Return
wait_until 10 window_gone "$dialog" || fail "the name dialog stayed open"
process_gone "$GAME_PID" && fail "a key pressed in the name dialog ended the game"
capture finished
shows_picture finished 504 128 runner0_goal.xpm || fail "a key pressed in the name dialog reset the race"
kill -TERM "$listener"
wait "$listener" 2>/dev/null || true

final=$(atspi clock) || fail "the clock cannot be read"
[[ $final =~ ^[0-9]+\.[0-9]秒$ && $final != 0.0秒 ]] || fail "the clock reads '$final' after the race"
mapfile -t heard <"$WORK/heard"
log "heard: ${heard[*]}"
((${#heard[@]} > 0)) || fail "the clock told nothing during the race"
[[ ${heard[-1]} == "$final" ]] || fail "the clock's last word was '${heard[-1]}', not the final '$final'"
previous=-1
for caption in "${heard[@]}"; do
    [[ $caption =~ ^([0-9]+)\.([0-9])秒$ ]] || fail "a label announced '$caption' during the race"
    tenths=$((BASH_REMATCH[1] * 10 + BASH_REMATCH[2]))
    # Read as the event comes, so a late reader may see a caption twice.
    ((tenths >= previous)) || fail "the clock announced '$caption' after a later time"
    previous=$tenths
done
# Once a second at most, and the final time: a race of s seconds tells s + 1 at most.
seconds=$(((race_end - race_start) / 1000000000 + 1))
((${#heard[@]} <= seconds + 1)) || fail "the clock spoke ${#heard[@]} times in a race of under $seconds s"
log "the clock spoke ${#heard[@]} times in under $seconds s and ended with $final"

# Press, as a screen reader presses.
atspi press リトライ || fail "Press on リトライ"
clock_reads() { [[ $(atspi clock) == "$1" ]]; }
wait_until 10 clock_reads 0.0秒 || fail "Press on リトライ left the clock at $(atspi clock)"
wait_until 5 shows_race_at_rest retried || fail "Press on リトライ did not put the runner back"

atspi press ランキング || fail "Press on ランキング"
ranking=$(find_window 'ランキング' 10)
[[ -n $ranking ]] || fail "Press on ランキング showed no ranking window"
expected=(ランキング １位 名前なし "$final")
places=(２位 ３位 ４位 ５位 ６位 ７位 ８位 ９位 10位)
for k in {0..8}; do expected+=("${places[k]}" "P$((k + 1))" "$((10 + k)).${k}秒"); done
mapfile -t rows < <(atspi texts ランキング)
[[ ${rows[*]} == "${expected[*]}" ]] || fail "the ranking reads: ${rows[*]}"
log "the ranking's rows read in order"

# The keys, pressed for real: the ranking window is the active one now.
wait_until 5 window_active "$ranking" || fail "the ranking window is not active"
run_a_little
press_in "$ranking" F2
wait_until 5 shows_race_at_rest f2 || fail "F2 in the ranking window did not start a new race"
run_a_little
press_in "$MAIN_WINDOW" ctrl+n
wait_until 5 shows_race_at_rest ctrl_n || fail "Ctrl+N on the race screen did not start a new race"
press_in "$MAIN_WINDOW" F1
[[ -n $(find_window 'ミルタ100ｍ走 ヘルプ' 10) ]] || fail "F1 opened no help"
atspi press Ver情報 || fail "Press on Ver情報"
version=$(find_window 'Ver情報' 10)
[[ -n $version ]] || fail "Press on Ver情報 showed no version window"
press_in "$version" ctrl+q
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after Ctrl+Q"
log "pass"
