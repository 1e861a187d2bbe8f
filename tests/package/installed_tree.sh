#!/bin/sh
# Installs the game into a scratch prefix and checks the installed tree, the
# manual page against the game's --help, and the launcher's play folder, with
# a stand-in for the game that reports where and how it was started.
#
#   tests/package/installed_tree.sh <build folder>
set -eu

build=${1:?usage: installed_tree.sh <build folder>}
work=$(mktemp -d "${TMPDIR:-/tmp}/milta-installed.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

prefix=$work/prefix
timeout 120 cmake --install "$build" --prefix "$prefix" >/dev/null

# The tree a player gets.
for file in \
    games/milta100m \
    libexec/milta100m/milta100m \
    libexec/milta100m/milta100m.hlp \
    libexec/milta100m/milta100m_en.hlp \
    share/milta100m/100m.mid \
    share/milta100m/goal.mid \
    share/milta100m/rank.mlt \
    share/doc/milta100m/copyright \
    share/doc/milta100m/changelog.gz \
    share/man/man6/milta100m.6.gz \
    share/applications/io.github.milta100m.milta100m.desktop \
    share/metainfo/io.github.milta100m.milta100m.metainfo.xml \
    share/icons/hicolor/16x16/apps/milta100m.png \
    share/icons/hicolor/32x32/apps/milta100m.png \
    share/icons/hicolor/48x48/apps/milta100m.png \
    share/icons/hicolor/64x64/apps/milta100m.png \
    share/icons/hicolor/128x128/apps/milta100m.png \
    share/icons/hicolor/256x256/apps/milta100m.png; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ -x "$prefix/games/milta100m" ] || fail "the launcher is not executable"
[ -x "$prefix/libexec/milta100m/milta100m" ] || fail "the game is not executable"
if [ "$failures" -ne 0 ]; then exit 1; fi

# The manual page names every option --help lists.
manual=$(gzip -dc "$prefix/share/man/man6/milta100m.6.gz" | sed 's/\\-/-/g')
options=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/libexec/milta100m/milta100m" --help |
    sed -n 's/^  \(-[^ ].*[^ ]\)  .*/\1/p' | tr ',' '\n' | tr -d ' ')
[ -n "$options" ] || fail "no options found in --help"
for option in $options; do
    printf '%s\n' "$manual" | grep -q -- "$option\\>" || fail "the manual page does not name $option"
done

# --help and --version through the installed command: the answer names the
# command, and nothing is written.
home=$work/asking
mkdir -p "$home"
answer=$(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME HOME="$home" PATH="$prefix/games:$PATH" \
    timeout 20 milta100m --help) || fail "milta100m --help failed"
printf '%s\n' "$answer" | grep -qx 'Usage: milta100m \[options\]' ||
    fail "--help's usage line is not the command's: $(printf '%s\n' "$answer" | grep Usage)"
(cd / && env -u XDG_DATA_HOME HOME="$home" timeout 20 "$prefix/games/milta100m" --version) | grep -q '^milta100m ' ||
    fail "--version through the launcher did not answer"
status=0
(cd / && env -u XDG_DATA_HOME HOME="$home" timeout 20 "$prefix/games/milta100m" --no-such-option 2>/dev/null) ||
    status=$?
[ "$status" -eq 2 ] || fail "a mistyped option through the launcher ended with $status, not 2"
[ -z "$(ls -A "$home")" ] || fail "answering the command line wrote $(cd "$home" && find . -mindepth 1 | head -3)"

# A stand-in game: records its working directory and arguments; asked by the
# launcher whether the command line starts the game, it does.
stub=$prefix/libexec/milta100m/milta100m
cat >"$stub" <<'STUB'
#!/bin/sh
[ -z "${MILTA_CHECK_COMMAND_LINE:-}" ] || exit 0
{ pwd -P; printf '%s\n' "$@"; } >"$MILTA_STUB_LOG"
exit "${MILTA_STUB_EXIT:-0}"
STUB
chmod +x "$stub"
share=$prefix/share/milta100m
log=$work/started
launcher=$prefix/games/milta100m
export MILTA_STUB_LOG="$log"

launch() { # HOME XDG_DATA_HOME(or -) [arguments...]
    home=$1 xdg=$2
    shift 2
    rm -f "$log"
    if [ "$xdg" = - ]; then
        (cd / && env -u XDG_DATA_HOME HOME="$home" timeout 20 "$launcher" "$@")
    else
        (cd / && env HOME="$home" XDG_DATA_HOME="$xdg" timeout 20 "$launcher" "$@")
    fi
}
started_in() { [ -f "$log" ] && [ "$(head -n 1 "$log")" = "$(cd "$1" && pwd -P)" ]; }
seeded() { # folder
    cmp -s "$share/100m.mid" "$1/100m.mid" && cmp -s "$share/goal.mid" "$1/goal.mid" &&
        cmp -s "$share/rank.mlt" "$1/rank.mlt"
}

# A new player: the default folder is made and filled, the game starts there.
home=$work/new-player
mkdir -p "$home"
launch "$home" - -style fusion || fail "first start failed"
play=$home/.local/share/milta100m
started_in "$play" || fail "the game did not start in $play"
seeded "$play" || fail "the first start did not seed $play"
[ "$(sed -n 2p "$log")" = -style ] && [ "$(sed -n 3p "$log")" = fusion ] ||
    fail "the arguments did not reach the game"
[ -z "$(find "$play" -name '*.new.*')" ] || fail "a temporary copy was left in $play"

# The player's ranking and a tune of the player's own survive later starts.
printf '12\r\n' >"$play/rank.mlt"
printf 'MThd mine' >"$play/goal.mid"
launch "$home" - || fail "second start failed"
[ "$(cat "$play/rank.mlt")" = "$(printf '12\r\n')" ] || fail "a later start overwrote the ranking"
[ "$(cat "$play/goal.mid")" = "MThd mine" ] || fail "a later start replaced the player's own goal.mid"

# An updated game: its new tune replaces one the launcher placed, never the player's own.
printf 'MThd newer race tune' >"$share/100m.mid"
printf 'MThd newer goal tune' >"$share/goal.mid"
launch "$home" - || fail "start after an update failed"
cmp -s "$share/100m.mid" "$play/100m.mid" || fail "the updated race tune did not replace the placed one"
[ "$(cat "$play/goal.mid")" = "MThd mine" ] || fail "the updated goal tune replaced the player's own"

# A tune the player removed is placed again, and is the launcher's again for the next update.
rm "$play/goal.mid"
launch "$home" - || fail "start without goal.mid failed"
cmp -s "$share/goal.mid" "$play/goal.mid" || fail "a missing tune was not placed"
printf 'MThd newest goal tune' >"$share/goal.mid"
launch "$home" - || fail "start after a second update failed"
cmp -s "$share/goal.mid" "$play/goal.mid" || fail "the update did not reach the tune placed again"
[ -z "$(find "$play" -name '*.new.*')" ] || fail "a temporary copy was left in $play"

# A link to a ranking elsewhere, even a dangling one, is the player's business.
home=$work/linked
mkdir -p "$home/.local/share/milta100m"
ln -s "$work/elsewhere/rank.mlt" "$home/.local/share/milta100m/rank.mlt"
launch "$home" - || fail "start with a linked ranking failed"
[ -L "$home/.local/share/milta100m/rank.mlt" ] || fail "the linked ranking was replaced"

# XDG_DATA_HOME is followed when absolute and ignored when relative.
home=$work/xdg
mkdir -p "$home"
launch "$home" "$work/xdg-data" || fail "start with XDG_DATA_HOME failed"
started_in "$work/xdg-data/milta100m" && seeded "$work/xdg-data/milta100m" ||
    fail "XDG_DATA_HOME was not followed"
launch "$home" relative/data || fail "start with a relative XDG_DATA_HOME failed"
started_in "$home/.local/share/milta100m" || fail "a relative XDG_DATA_HOME was not ignored"
[ ! -e /relative/data ] && [ ! -e "$work/relative" ] || fail "a relative XDG_DATA_HOME made a folder"

# Started through PATH and through a link, as a menu does; the game's exit code comes back.
home=$work/path
mkdir -p "$home" "$work/links"
ln -s "$prefix/games/milta100m" "$work/links/milta"
rm -f "$log"
status=0
(cd / && env -u XDG_DATA_HOME HOME="$home" PATH="$prefix/games:$PATH" MILTA_STUB_EXIT=3 timeout 20 milta100m) ||
    status=$?
[ "$status" -eq 3 ] || fail "the game's exit code 3 came back as $status"
started_in "$home/.local/share/milta100m" || fail "a start through PATH did not reach the game"
launcher=$work/links/milta
launch "$home" - || fail "start through a link failed"
launcher=$prefix/games/milta100m
started_in "$home/.local/share/milta100m" || fail "a start through a link did not reach the game"

# No HOME and no XDG_DATA_HOME: a clear refusal, nothing started.
rm -f "$log"
if (cd / && env -u HOME -u XDG_DATA_HOME timeout 20 "$prefix/games/milta100m" 2>/dev/null); then
    fail "a start without HOME succeeded"
fi
[ ! -f "$log" ] || fail "the game started without a play folder"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "installed tree and launcher: all checks passed"
