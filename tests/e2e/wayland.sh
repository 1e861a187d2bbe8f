#!/bin/bash
# The game on Wayland desktops, under compositors the test starts itself.
# Under weston with XWayland and a KDE Plasma session's variables, the game
# runs on X11: its windows are X windows on XWayland's display at their
# designed sizes, the side windows windows of their own. Under sway without
# any X server it runs natively: the race screen is a toplevel with the game's
# title, drawn as designed; a race run with a virtual pointer, the name typed
# on a virtual keyboard, ends in rank.mlt; the ranking window and help open,
# and the exit button ends the game with code 0.
#   wayland.sh <game> <data dir> <virtual pointer client>
E2E_TOOLS="weston Xwayland sway swaymsg grim wtype setpriv xdotool xwininfo xprop convert compare identify python3 timeout flock"
E2E_PACKAGES="weston xwayland sway grim wtype util-linux xdotool x11-utils imagemagick python3"
E2E_TIMEOUT=${E2E_TIMEOUT:-150}
source "$(dirname "$0")/lib.sh" "$1" "$2"
VIRTUAL_POINTER=${3:-}
[[ -x $VIRTUAL_POINTER ]] || skip "the virtual pointer client was not built (Debian: libwayland-dev libwayland-bin)"
dpkg-query -W -f='${Status}' qt6-wayland 2>/dev/null | grep -q 'install ok installed' ||
    skip "Qt's Wayland platform plugin is missing (Debian: qt6-wayland)"

# The help viewer's title.
HELP_TITLE='ミルタ100ｍ走 ヘルプ'

# ---- weston with XWayland, as a KDE Plasma session sets it up ----

# Starts weston headless with XWayland under the X server lock and sets
# DISPLAY and WAYLAND_DISPLAY; XWayland starts with its first X client.
start_weston()
{
    exec 9>>"$XSERVER_LOCK"
    flock -w 30 9 || fail "the X server lock stayed taken"
    weston --backend=headless-backend.so --xwayland --socket=milta-weston --width=1280 --height=800 \
        </dev/null >"$WORK/weston.log" 2>&1 9>&- &
    XSERVER_PID=$!
    wait_until 15 grep -qs 'xserver listening on display' "$WORK/weston.log" || fail "weston did not start"
    exec 9>&-
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/weston.log")
    export DISPLAY WAYLAND_DISPLAY=milta-weston
    log "weston on $WAYLAND_DISPLAY, XWayland on $DISPLAY"
}

# x_size WINDOW: "WIDTHxHEIGHT" of an X window.
x_size() { xwininfo -id "$1" | awk '/^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print w "x" h}'; }

# send_click WINDOW X Y: a left click at client position (X, Y), sent to the
# window as X events: XWayland under a headless weston has no pointer, and
# moving it through XTEST ends XWayland.
send_click()
{
    python3 - "$@" <<'PYTHON'
import ctypes, struct, sys
xcb = ctypes.CDLL("libxcb.so.1")
xcb.xcb_connect.restype = ctypes.c_void_p
xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
xcb.xcb_connection_has_error.argtypes = [ctypes.c_void_p]
xcb.xcb_send_event.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_uint32, ctypes.c_char_p]
xcb.xcb_flush.argtypes = [ctypes.c_void_p]
xcb.xcb_disconnect.argtypes = [ctypes.c_void_p]
window, x, y = (int(argument) for argument in sys.argv[1:4])
connection = xcb.xcb_connect(None, None)
if xcb.xcb_connection_has_error(connection):
    sys.exit("no X server on DISPLAY")
# ButtonPress and ButtonRelease of button 1, the release with Button1Mask.
for kind, state in ((4, 0), (5, 0x100)):
    event = struct.pack("<BBHIIIIhhhhHBB", kind, 1, 0, 0, 0, window, 0, x, y, x, y, state, 1, 0)
    xcb.xcb_send_event(connection, 0, window, 0, event)
xcb.xcb_flush(connection)
xcb.xcb_disconnect(connection)
PYTHON
}

# Sent events reach the game only once its window is ready for them, and
# may come while a window is mapped: a click is repeated until it shows.
# clicked_until X Y COMMAND...: clicks the race screen at (X, Y) until COMMAND succeeds.
clicked_until()
{
    local x=$1 y=$2
    shift 2
    send_click "$MAIN_WINDOW" "$x" "$y"
    sleep 0.3
    "$@"
}

start_weston
install_tunes
install_ranking
XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE QT_LOGGING_RULES="milta100m.platform=true" start_game
MAIN_WINDOW=$(find_window "$MAIN_TITLE" 20)
[[ -n $MAIN_WINDOW ]] || fail "the race screen is no X window on XWayland's display $DISPLAY: $(cat "$WORK/game.err")"
grep -q "^milta100m.platform: window system: xcb (an X server answers on DISPLAY=$DISPLAY)" "$WORK/game.err" ||
    fail "the game did not log its choice of X11: $(cat "$WORK/game.err")"
[[ $(x_size "$MAIN_WINDOW") == 599x315 ]] || fail "the race screen is $(x_size "$MAIN_WINDOW"), not 599x315"
# A shown ranking window is left alone by its button.
wait_until 10 clicked_until "$RANKING_X" "$BUTTON_Y" eval '[[ -n $(visible_windows ランキング) ]]' ||
    fail "the ranking button showed no ranking window"
ranking=$(visible_windows 'ランキング')
[[ $(x_size "$ranking") == 386x408 ]] || fail "the ranking window is $(x_size "$ranking"), not 386x408"
# On X11 the side windows are not the race screen's: clicking it brings it in front.
xprop -id "$ranking" WM_TRANSIENT_FOR | grep -q 'not found' ||
    fail "the ranking window is transient: $(xprop -id "$ranking" WM_TRANSIENT_FOR)"
wait_until 10 clicked_until "$EXIT_X" "$BUTTON_Y" process_gone "$GAME_PID" || fail "the exit button did not end the game"
wait_game_exit 1
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the exit button under weston"
stop_display
unset DISPLAY WAYLAND_DISPLAY
log "weston: the game's windows are X windows at their sizes"

# ---- sway, Wayland only ----

# sway refuses to run as root: as root, the compositor and the game run as
# nobody (who needs no account), with a runtime folder, a home, a play
# folder and a copy of the game of their own.
PLAYER=()
((EUID != 0)) || PLAYER=(setpriv --reuid=65534 --regid=65534 --clear-groups)
chmod 711 "$WORK"
PLAYER_RUN="$WORK/player-run"
mkdir -m 700 "$PLAYER_RUN" "$WORK/player-home"
mkdir -m 755 "$WORK/bin"
cp "$GAME" "$(dirname "$GAME")/milta100m.hlp" "$TESTS_DIR/../lsan.supp" "$WORK/bin/"
rm -f "$PLAY/rank.mlt"
install_ranking
((EUID != 0)) || chown -R 65534:65534 "$PLAYER_RUN" "$WORK/player-home" "$PLAY"

PLAYER_ENV=(HOME="$WORK/player-home" XDG_RUNTIME_DIR="$PLAYER_RUN" XDG_CONFIG_HOME="$WORK/player-home/.config"
            LSAN_OPTIONS="suppressions=$WORK/bin/lsan.supp:print_suppressions=0")
# as_player COMMAND...: runs it as the player, on the player's compositor.
# A program in the background is started as (exec env "${PLAYER_ENV[@]}"
# "${PLAYER[@]}" ...) &, which keeps its own process id: the clean-up ends
# the program itself.
as_player() { env "${PLAYER_ENV[@]}" "${PLAYER[@]}" "$@"; }

# No XWayland: only Wayland. The game's windows get the keyboard only by
# asking for it (xdg-activation), as where the compositor prevents focus
# stealing, and not by the pointer passing over them: players click, as on
# the desktops the game is made for.
cat >"$WORK/sway.config" <<'SWAY'
output HEADLESS-1 resolution 1024x768
xwayland disable
no_focus [app_id="io.github.milta100m.milta100m"]
focus_on_window_activation focus
focus_follows_mouse no
SWAY
(exec env "${PLAYER_ENV[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman "${PLAYER[@]}" \
    sway --config "$WORK/sway.config") </dev/null >"$WORK/sway.log" 2>&1 &
BACKGROUND_PIDS+=($!)
wayland_socket() { compgen -G "$PLAYER_RUN/wayland-[0-9]" >/dev/null && compgen -G "$PLAYER_RUN/sway-ipc.*.sock" >/dev/null; }
wait_until 15 wayland_socket || fail "sway did not start: $(tail -n 5 "$WORK/sway.log")"
export WAYLAND_DISPLAY SWAYSOCK
WAYLAND_DISPLAY=$(basename "$(compgen -G "$PLAYER_RUN/wayland-[0-9]" | head -n1)")
SWAYSOCK=$(compgen -G "$PLAYER_RUN/sway-ipc.*.sock" | head -n1)
log "sway on $WAYLAND_DISPLAY"

save_screen() { as_player grim - >"$1" 2>/dev/null; }

# A pointer and a keyboard stay on sway's seat from before the game starts,
# so that the game takes their input from the first event on.
mkfifo "$WORK/pointer"
(exec env "${PLAYER_ENV[@]}" "${PLAYER[@]}" "$VIRTUAL_POINTER" 1024x768) <"$WORK/pointer" >"$WORK/pointer.out" \
    2>"$WORK/pointer.err" &
BACKGROUND_PIDS+=($!)
exec {POINTER}>"$WORK/pointer"
(exec env "${PLAYER_ENV[@]}" "${PLAYER[@]}" wtype -s $((E2E_TIMEOUT * 1000))) </dev/null >/dev/null 2>&1 {POINTER}>&- &
BACKGROUND_PIDS+=($!)

# pointer COMMAND...: commands for the virtual pointer, one an argument.
pointer() { printf '%s\n' "$@" >&"$POINTER"; }

# toplevel TITLE: "X Y WIDTH HEIGHT FOCUSED SHELL" of the client area of
# sway's window named TITLE; nothing while there is none.
toplevel()
{
    swaymsg -t get_tree -r | python3 -c '
import json, sys
def visit(node):
    if node.get("pid") and node.get("name") == sys.argv[1]:
        outer, inner = node["rect"], node["window_rect"]
        print(outer["x"] + inner["x"], outer["y"] + inner["y"], inner["width"], inner["height"],
              int(node["focused"]), node.get("shell"))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        visit(child)
visit(json.load(sys.stdin))' "$1"
}
has_toplevel() { [[ -n $(toplevel "$1") ]]; }
focused() { [[ $(toplevel "$1" | cut -d' ' -f5) == 1 ]]; }

# click_at TITLE X Y: a left click at client position (X, Y) of a window.
click_at()
{
    local x y _
    read -r x y _ < <(toplevel "$1")
    [[ -n $x ]] || fail "no window '$1' to click"
    pointer "move $((x + $2)) $((y + $3))" "pause 50" click
}

# capture NAME: the race screen's client area as $WORK/NAME.png.
capture() { as_player grim -g "$ORIGIN_X,$ORIGIN_Y ${CLIENT_W}x$CLIENT_H" - >"$WORK/$1.png"; }

# No XDG_SESSION_TYPE, as where sway is started from a console: the game finds the compositor itself.
(cd "$PLAY" && exec env -u XDG_SESSION_TYPE "${PLAYER_ENV[@]}" QT_LOGGING_RULES="milta100m.platform=true" \
    "${PLAYER[@]}" "$WORK/bin/milta100m") </dev/null >"$WORK/game.out" 2>"$WORK/game.err" {POINTER}>&- &
GAME_PID=$!
wait_until 20 has_toplevel "$MAIN_TITLE" || fail "no toplevel '$MAIN_TITLE' under sway: $(cat "$WORK/game.err")"
# The desktop finds the game's menu entry and icon by its app id.
app_id=$(basename "$DATA_DIR"/linux/*.desktop .desktop)
swaymsg -t get_tree -r | grep -q "\"app_id\": \"$app_id\"" || fail "no window with the app id $app_id"
grep -q "^milta100m.platform: window system: wayland (DISPLAY is not set, a Wayland compositor is on WAYLAND_DISPLAY=$WAYLAND_DISPLAY)" \
    "$WORK/game.err" || fail "the game did not log its choice of Wayland: $(cat "$WORK/game.err")"
# Drawn as designed: runner 0 at the start, the pads on the ground. The
# window's place is read anew until then: sway moves it once it has
# decorated it.
race_screen_at_rest()
{
    read -r ORIGIN_X ORIGIN_Y _ < <(toplevel "$MAIN_TITLE")
    capture start && shows_picture start 24 128 runner0_a.xpm
}
wait_until 5 race_screen_at_rest || fail "runner 0 frame A is not at x 24 at start"
read -r ORIGIN_X ORIGIN_Y width height _ shell < <(toplevel "$MAIN_TITLE")
[[ ${width}x$height == 599x315 && $shell == xdg_shell ]] ||
    fail "the race screen is a $shell window of ${width}x$height, not a Wayland toplevel of 599x315"
log "race screen: a Wayland toplevel at $ORIGIN_X,$ORIGIN_Y"
for probe in 47,293,FF8000 48,293,FF0000 128,293,0000FF 209,293,FF8000; do
    IFS=, read -r x y rgb <<<"$probe"
    [[ $(pixel start "$x" "$y") == "$rgb" ]] || fail "pixel ($x, $y) is $(pixel start "$x" "$y"), not $rgb"
done

# Help opens where sway puts it (tiled, for a window that can be resized)
# and takes the keyboard.
click_at "$MAIN_TITLE" "$HELP_X" "$BUTTON_Y"
wait_until 10 focused "$HELP_TITLE" || fail "the help viewer did not show with the keyboard"
save_screen "$WORK/help.png"

# A race run with the pointer alone, the keyboard still with help: the name
# dialog asks for the keyboard and gets it.
race_start=$(date +%s%N)
for ((i = 0; i < 85; i++)); do
    pointer "move $((ORIGIN_X + RED_X)) $((ORIGIN_Y + PAD_Y))" "pause 20" \
            "move $((ORIGIN_X + BLUE_X)) $((ORIGIN_Y + PAD_Y))" "pause 20"
done
wait_until 15 has_toplevel 'ランキング名前入力' || fail "no name dialog after 85 strides"
race_end=$(date +%s%N)
wait_until 5 focused 'ランキング名前入力' || fail "the name dialog did not get the keyboard"
save_screen "$WORK/name_dialog.png"
name='Wayland E2E'
as_player wtype "$name"
as_player wtype -k Return
wait_until 10 eval '[[ $(sed -n "$((NAME_LINE + 1))p" "$PLAY/rank.mlt" | tr -d "\r") == "$name" ]]' ||
    fail "rank.mlt has no '$name' at place 1: $(head -c 400 "$PLAY/rank.mlt" | od -c | head)"
mapfile -t lines < <(tr -d '\r' <"$PLAY/rank.mlt")
seconds=${lines[SECONDS_LINE]} tenths=${lines[TENTHS_LINE]} score=${lines[TIME_LINE]}
most=$(((race_end - race_start) / 70000000 + 1))
((score == 10 * seconds + tenths && score >= 1 && score <= most)) ||
    fail "time lines $seconds, $tenths, $score: not a race of at most $most ticks"
log "ranked: $seconds.$tenths s as '$name'"

# The ranking window shows and has the keyboard; shown, it is left alone.
click_at "$MAIN_TITLE" "$RANKING_X" "$BUTTON_Y"
wait_until 10 focused 'ランキング' || fail "the ranking window did not show with the keyboard"
# Read back as the race screen is: its place anew until it is drawn there.
ranking_at_rest()
{
    local x y width height _
    read -r x y width height _ < <(toplevel 'ランキング')
    as_player grim -g "$x,$y ${width}x$height" - >"$WORK/ranking.png" &&
        shows_picture ranking 328 360 button_ok.xpm
}
wait_until 5 ranking_at_rest || fail "the ranking window's OK is not drawn at 328,360"
read -r _ _ width height _ < <(toplevel 'ランキング')
[[ ${width}x$height == 386x408 ]] || fail "the ranking window is ${width}x$height, not 386x408"
# sway centres both windows: the race screen's left edge stays in sight.
click_at "$MAIN_TITLE" 10 100
wait_until 5 focused "$MAIN_TITLE" || fail "clicking the race screen did not give it the keyboard"
click_at "$MAIN_TITLE" "$RANKING_X" "$BUTTON_Y"
pointer sync
sleep 0.5
focused "$MAIN_TITLE" || fail "the ranking button activated the shown ranking window"
click_at 'ランキング' "$RANKING_OK_X" "$RANKING_OK_Y"
wait_until 5 eval '! has_toplevel ランキング' || fail "the ranking window's OK did not hide it"
log "the ranking window comes and goes"

click_at "$MAIN_TITLE" "$EXIT_X" "$BUTTON_Y"
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the exit button under sway: $(tail -n 20 "$WORK/game.err")"
log "pass"
