#!/bin/sh
# The command line answers without a display: --version and --help print and
# exit 0, an unknown option or an argument is refused by name, and nothing
# tries to reach a window system on the way.
#   tests/app/commandline.sh <game>
set -u
game=${1:?usage: commandline.sh <game>}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

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

[ "$failures" -eq 0 ] && echo "command line: all checks passed"
[ "$failures" -eq 0 ]
