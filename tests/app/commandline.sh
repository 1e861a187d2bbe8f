#!/bin/sh
# The command line answers without a display: --version and --help print and
# exit 0, an unknown option or an argument is refused by name, and nothing
# tries to reach a window system on the way. A start never hangs on a display
# that does not answer: the game names it on stderr and ends with 1.
#   tests/app/commandline.sh <game>
set -u
game=${1:?usage: commandline.sh <game>}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
out=$(mktemp) err=$(mktemp) servers=$(mktemp -d)
servers_pid=
trap 'rm -f "$out" "$err"; [ -z "$servers_pid" ] || kill "$servers_pid"; rm -rf "$servers"' EXIT

run() { # expected-status arguments...
    expected=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$game" "$@" >"$out" 2>"$err"
    status=$?
    [ "$status" -eq "$expected" ] || fail "'$*' ended with $status, not $expected: $(cat "$err")"
}

run 0 --version
grep -qx 'milta100m [0-9][0-9.]*' "$out" || fail "--version printed: $(cat "$out")"
[ ! -s "$err" ] || fail "--version wrote to stderr: $(cat "$err")"

run 0 --help
grep -q '^Usage: milta100m \[options\]$' "$out" || fail "--help's usage does not name the program alone: $(cat "$out")"
grep -q -- '--version' "$out" || fail "--help does not list --version"
grep -q -- '--race-by-ear' "$out" || fail "--help does not list --race-by-ear"
grep -q -- '-style' "$out" && fail "--help lists Qt's own options"
[ ! -s "$err" ] || fail "--help wrote to stderr: $(cat "$err")"

run 2 --no-such-option
grep -q 'no-such-option' "$err" || fail "an unknown option was not named: $(cat "$err")"
[ ! -s "$out" ] || fail "an unknown option printed to stdout"

run 2 rank.mlt
grep -q 'rank.mlt' "$err" || fail "an argument was not named: $(cat "$err")"

# Asked by the launcher: silent where the game would start, an answer as ever elsewhere.
export MILTA_CHECK_COMMAND_LINE=1
run 0 -style fusion
[ ! -s "$out" ] && [ ! -s "$err" ] || fail "a command line that starts the game was answered: $(cat "$out" "$err")"
run 0 --race-by-ear
[ ! -s "$out" ] && [ ! -s "$err" ] || fail "--race-by-ear was answered: $(cat "$out" "$err")"
run 0 --version
grep -qx 'milta100m [0-9][0-9.]*' "$out" || fail "--version asked by the launcher printed: $(cat "$out")"
run 2 --no-such-option
unset MILTA_CHECK_COMMAND_LINE

# Display servers that never answer: an X server that takes the connection
# and says nothing (its socket where xcb looks first), a Wayland compositor
# alike, and a Wayland socket whose listen backlog is full, where connect()
# itself waits; wayland-0, where Qt looks without WAYLAND_DISPLAY, is the
# quiet one in a folder of its own.
python3 - "$servers" >"$servers/ready" <<'SERVERS' &
import os, signal, socket, sys
folder = sys.argv[1]
def listening(address, backlog):
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(address)
    server.listen(backlog)
    return server
for number in range(900, 1000):
    try:
        x = listening("\0/tmp/.X11-unix/X%d" % number, 16)
        break
    except OSError:
        pass
quiet = listening(os.path.join(folder, "wayland-quiet"), 16)
full = listening(os.path.join(folder, "wayland-full"), 0)
waiting = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
waiting.connect(os.path.join(folder, "wayland-full"))
os.mkdir(os.path.join(folder, "default"))
os.symlink("../wayland-quiet", os.path.join(folder, "default", "wayland-0"))
print(":%d" % number, flush=True)
signal.pause()
SERVERS
servers_pid=$!
tries=0
while [ ! -s "$servers/ready" ] && [ "$tries" -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
x=$(cat "$servers/ready")

# no_hang NAMED ENVIRONMENT... GAME ARGUMENTS...: the start ends with 1 and
# names the display that did not answer, within a bound far past the game's.
no_hang() {
    named=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$servers" \
        timeout -s KILL 30 env "$@" >"$out" 2>"$err"
    status=$?
    [ "$status" -eq 1 ] || fail "'$*' ended with $status, not 1 (137: still starting after 30 s): $(cat "$err")"
    grep -qF -- "$named" "$err" || fail "'$*' did not name $named: $(cat "$err")"
}
if [ -n "$x" ]; then
    no_hang "X server on DISPLAY=$x" DISPLAY="$x" "$game"
    no_hang "X server on -display $x" "$game" -display "$x"
    no_hang "X server on DISPLAY=$x" QT_QPA_PLATFORM=xcb DISPLAY="$x" "$game"
    no_hang "compositor on WAYLAND_DISPLAY=$servers/wayland-full" WAYLAND_DISPLAY="$servers/wayland-full" "$game"
    no_hang "compositor on WAYLAND_DISPLAY=wayland-quiet" WAYLAND_DISPLAY=wayland-quiet "$game"
    no_hang "X server on DISPLAY=$x and the Wayland compositor on WAYLAND_DISPLAY=wayland-full" \
        DISPLAY="$x" WAYLAND_DISPLAY=wayland-full "$game"
    no_hang "compositor on WAYLAND_DISPLAY=wayland-full" WAYLAND_DISPLAY=wayland-full "$game" -platform wayland
    no_hang "compositor on WAYLAND_DISPLAY=wayland-quiet" QT_QPA_PLATFORM='wayland;xcb' DISPLAY="$x" \
        WAYLAND_DISPLAY=wayland-quiet "$game"
    no_hang "compositor on wayland-0" XDG_RUNTIME_DIR="$servers/default" "$game"
else
    fail "the display servers that never answer did not start"
fi

[ "$failures" -eq 0 ] && echo "command line: all checks passed"
[ "$failures" -eq 0 ]
