#!/bin/sh
# The Debian package end to end, as a new player meets it: build the .deb with
# cpack, check it with lintian --pedantic, unpack it into a scratch root (the system is left alone), start the
# launcher with a fresh HOME under a private X server with openbox, run one
# race with xdotool, enter the ranking and find it in the play folder, open
# the help, then close the game and expect exit code 0.
#
#   tests/package/deb_end_to_end.sh <build folder>
#
# Exits 77 (skipped) when a tool it needs is missing (dpkg-shlibdeps is in
# dpkg-dev, xwininfo and xprop in x11-utils).
set -eu

build=${1:?usage: deb_end_to_end.sh <build folder>}
build=$(cd "$build" && pwd -P)
for tool in cpack dpkg-deb dpkg-shlibdeps lintian Xvfb openbox xdotool xwininfo xprop timeout; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool not found"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/milta-deb.XXXXXX")
pids=""
cleanup() {
    trap - EXIT INT TERM HUP
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    for pid in $pids; do
        n=0
        while kill -0 "$pid" 2>/dev/null && [ "$n" -lt 20 ]; do sleep 0.1; n=$((n + 1)); done
        kill -KILL "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "FAIL: interrupted" >&2; exit 1' INT TERM HUP
# Never outlive the CI step, whatever hangs.
main_shell=$$
(
    sleep 300 &
    nap=$!
    trap 'kill "$nap" 2>/dev/null; exit 0' TERM
    wait "$nap" && echo "FAIL: gave up after 300 s" >&2 && kill -TERM "$main_shell"
) &
pids="$pids $!"

# Where the race screen's pads and buttons are, and the ranking file's lines.
. "$(dirname "$0")/../e2e/gamefacts.sh"

fail() { echo "FAIL: $*" >&2; [ ! -s "$work/game.log" ] || sed 's/^/game: /' "$work/game.log" >&2; exit 1; }
step() { echo "-- $*"; }
# Polls a command for up to $1 tenths of a second.
within() {
    tenths=$1
    shift
    while ! "$@" >/dev/null 2>&1; do
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
        tenths=$((tenths - 1))
    done
}
# The id of a visible window whose name matches; xdotool dies of an X error
# (BadWindow) when a window goes while it looks, so wait with within, not --sync.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .; }

step "building the package"
timeout 300 cpack -G DEB -B "$work/cpack" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
set -- "$work"/cpack/milta100m_*.deb
[ "$#" -eq 1 ] && [ -f "$1" ] || fail "expected one milta100m .deb, found: $*"
deb=$1
echo "$(basename "$deb")"

step "checking the control fields"
[ "$(dpkg-deb -f "$deb" Package)" = milta100m ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libfluidsynth3 libc6 timgm6mb-soundfont fonts-ipafont-gothic; do
    case ", $depends," in
    *", $dep "* | *", $dep,"*) ;;
    *) fail "Depends lacks $dep" ;;
    esac
done

step "checking the package with lintian"
# Debian's own checker, at its most demanding, has nothing to say.
findings=$(timeout 120 lintian --pedantic "$deb" 2>"$work/lintian.err") || {
    cat "$work/lintian.err" >&2
    fail "lintian failed: $findings"
}
[ -z "$findings" ] || fail "lintian reports:
$findings"

step "unpacking into a scratch root"
root=$work/root
dpkg-deb -x "$deb" "$root"
launcher=$root/usr/games/milta100m
[ -x "$launcher" ] || fail "no launcher in the package"
cmp -s "$(dirname "$0")/../../LICENSE" "$root/usr/share/doc/milta100m/copyright" ||
    fail "the package lacks the licence as /usr/share/doc/milta100m/copyright"
if command -v appstreamcli >/dev/null 2>&1; then
    timeout 60 appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
fi

step "starting a private X server and openbox"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
within 100 grep -q . "$work/display" || fail "Xvfb did not start"
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
mkdir -p "$work/wm-home"
HOME=$work/wm-home openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids="$pids $!"
within 100 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox did not start"

step "starting the launcher as a new player"
home=$work/home
mkdir -p "$home"
play=$home/.local/share/milta100m
(cd / && exec env -u XDG_DATA_HOME -u QT_QPA_PLATFORM HOME="$home" "$launcher") >"$work/game.log" 2>&1 &
game=$!
pids="$game $pids"
title='^ミルタ100ｍ走$'
main=$(within 300 window_named "$title" && window_named "$title") || true
[ -n "$main" ] || fail "the race screen did not appear"
# An error box would come before the race screen; the launcher's seed ranking prevents it.
if xdotool search --onlyvisible --name '^Milta100m$' >/dev/null 2>&1; then fail "an error box is shown"; fi
for file in 100m.mid goal.mid rank.mlt; do [ -f "$play/$file" ] || fail "the play folder lacks $file"; done
cp "$play/rank.mlt" "$work/seed.mlt"

origin=$(xwininfo -id "$main" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }')
set -- $origin
[ "$#" -eq 2 ] || fail "no client origin for window $main"
ox=$1 oy=$2
echo "race screen $main at $ox,$oy"

step "running one race"
red_x=$((ox + RED_X)) blue_x=$((ox + BLUE_X)) pad_y=$((oy + PAD_Y))
timeout 10 xdotool mousemove "$red_x" "$pad_y"
strides=0
dialog=""
while [ "$strides" -lt 200 ]; do
    set --
    for i in 1 2 3 4 5; do
        set -- "$@" mousemove "$red_x" "$pad_y" sleep 0.02 mousemove "$blue_x" "$pad_y" sleep 0.02
    done
    timeout 20 xdotool "$@" || fail "xdotool could not move the pointer"
    strides=$((strides + 5))
    dialog=$(xdotool search --onlyvisible --name '^ランキング名前入力$' 2>/dev/null | head -n 1) || true
    [ -z "$dialog" ] || break
done
[ -n "$dialog" ] || dialog=$(within 100 window_named '^ランキング名前入力$' && window_named '^ランキング名前入力$') ||
    true
[ -n "$dialog" ] || fail "no name dialog after $strides strides"
echo "name dialog after $strides strides"
timeout 10 xdotool windowactivate --sync "$dialog" || true
timeout 10 xdotool key --clearmodifiers Return

step "finding the new entry in the play folder"
within 100 sh -c '! cmp -s "$1" "$2"' - "$work/seed.mlt" "$play/rank.mlt" || fail "rank.mlt was not written"
[ "$(tr -cd '\n' <"$play/rank.mlt" | wc -c)" -eq "$RANKING_LINES" ] ||
    fail "rank.mlt does not hold $RANKING_LINES lines"
[ "$(tr -cd '\r' <"$play/rank.mlt" | wc -c)" -eq "$RANKING_LINES" ] || fail "rank.mlt lines do not end with CR LF"
# line N: the file's line N, counting from 0.
line() { sed -n "$(($1 + 1))p" "$play/rank.mlt" | tr -d '\r'; }
best=$(line "$TIME_LINE")
case "$best" in '' | *[!0-9]*) fail "place 1's time is '$best'" ;; esac
[ "$best" -lt 500 ] || fail "no new entry: place 1's time is $best tenths"
[ "$(line $((TIME_LINE + 1)))" = 500 ] || fail "place 2 is not the built-in 50.0 s"
echo "place 1: $(line "$SECONDS_LINE").$(line "$TENTHS_LINE") s ($best tenths); the file has $RANKING_LINES CR LF lines"

step "opening the help beside the installed program"
# A missing help file would show a viewer titled just "ヘルプ".
timeout 10 xdotool mousemove $((ox + HELP_X)) $((oy + BUTTON_Y)) click 1
help=$(within 150 window_named '^ミルタ100ｍ走 ヘルプ$' && window_named '^ミルタ100ｍ走 ヘルプ$') || true
[ -n "$help" ] || fail "the help file was not found beside the game"
echo "help viewer $help shows the help file"

step "closing the race screen"
timeout 10 xdotool windowactivate --sync "$main" || true
timeout 10 xdotool key --clearmodifiers alt+F4
within 150 sh -c '! kill -0 "$1"' - "$game" || fail "the game is still running after alt+F4"
status=0
wait "$game" || status=$?
[ "$status" -eq 0 ] || fail "the game ended with exit code $status"
echo "PASS: package built, unpacked, played and closed with exit code 0"
