#!/bin/bash
# A start ends in the race screen or says why not. A display that takes the
# connection and never answers (an X server, a Wayland compositor, a Wayland
# socket whose listen backlog is full) cannot hold it: whatever DISPLAY,
# WAYLAND_DISPLAY, -display, -platform and QT_QPA_PLATFORM name, the game
# either opens its window or names the display on stderr and ends with 1.
# A tune that cannot be opened is fatal: only the "アプリケーション エラー" box,
# never the race screen, exit code 1 after OK. The files the game opens are
# traced to show the order: the race tune first, and nothing after the failure.
E2E_TIMEOUT=${E2E_TIMEOUT:-110} # thirteen starts refused after up to four seconds each, four more
source "$(dirname "$0")/lib.sh" "$@"

start_display
install_tunes
install_ranking

# Display servers that never answer: an X server (its socket where xcb looks
# first), a Wayland compositor alike, and a Wayland socket whose listen
# backlog is full, where connect() itself waits; wayland-0, where Qt looks
# without WAYLAND_DISPLAY, is the quiet one in a runtime folder of its own.
mkdir -m 700 "$WORK/run-default"
python3 - "$XDG_RUNTIME_DIR" "$WORK/run-default" >"$WORK/silent.ready" 2>&1 <<'SERVERS' &
import os, signal, socket, sys
runtime, default = sys.argv[1:]
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
quiet = listening(os.path.join(runtime, "wayland-quiet"), 16)
full = listening(os.path.join(runtime, "wayland-full"), 0)
waiting = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
waiting.connect(os.path.join(runtime, "wayland-full"))
os.symlink(os.path.join(runtime, "wayland-quiet"), os.path.join(default, "wayland-0"))
print(":%d" % number, flush=True)
signal.pause()
SERVERS
BACKGROUND_PIDS+=($!)
wait_until 10 grep -q '^:' "$WORK/silent.ready" || fail "the silent display servers did not start: $(cat "$WORK/silent.ready")"
SILENT_X=$(cat "$WORK/silent.ready")

# refused NAMED ENVIRONMENT... GAME ARGUMENTS...: the start ends with 1 and
# names the display that did not answer, within a bound far past the game's.
refused()
{
    local named=$1 status=0 started
    shift
    started=$(date +%s%N)
    (cd "$PLAY" && exec env -u DISPLAY -u WAYLAND_DISPLAY timeout -s KILL 30 env "$@") \
        </dev/null >"$WORK/game.out" 2>"$WORK/game.err" || status=$?
    ((status == 1)) || fail "'$*' ended with $status, not 1 (137: still starting after 30 s): $(head -c 500 "$WORK/game.err")"
    grep -qF -- "$named did not answer" "$WORK/game.err" || fail "'$*' did not name $named: $(head -c 500 "$WORK/game.err")"
    log "${*//$GAME/milta100m}: refused after $((($(date +%s%N) - started) / 1000000)) ms, naming $named"
}

# opens ENVIRONMENT... GAME ARGUMENTS...: the start comes to the race screen
# on the test's display, where the close box ends it.
opens()
{
    (cd "$PLAY" && exec env -u WAYLAND_DISPLAY "$@") </dev/null >"$WORK/game.out" 2>"$WORK/game.err" &
    GAME_PID=$!
    find_race_screen
    click_close_box
    wait_game_exit 10
    ((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the close box, started as '$*'"
    log "${*//$GAME/milta100m}: the race screen"
}

X_NAMED="the X server on DISPLAY=$SILENT_X"
refused "$X_NAMED" DISPLAY="$SILENT_X" "$GAME"
refused "the X server on -display $SILENT_X" "$GAME" -display "$SILENT_X"
refused "the X server on -display $SILENT_X" DISPLAY="$DISPLAY" "$GAME" -display "$DISPLAY" --display "$SILENT_X"
refused "$X_NAMED" DISPLAY="$SILENT_X" "$GAME" -display ''
refused "$X_NAMED" QT_QPA_PLATFORM=xcb DISPLAY="$SILENT_X" "$GAME"
refused "$X_NAMED" QT_QPA_PLATFORM='nosuch;XCB' DISPLAY="$SILENT_X" "$GAME"
refused "$X_NAMED" DISPLAY="$SILENT_X" "$GAME" -platform wayland -platform xcb
refused "the Wayland compositor on WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/wayland-full" \
    WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/wayland-full" "$GAME"
refused "the Wayland compositor on WAYLAND_DISPLAY=wayland-quiet" WAYLAND_DISPLAY=wayland-quiet "$GAME"
refused "$X_NAMED and the Wayland compositor on WAYLAND_DISPLAY=wayland-full" \
    DISPLAY="$SILENT_X" WAYLAND_DISPLAY=wayland-full "$GAME"
refused "the Wayland compositor on WAYLAND_DISPLAY=wayland-full" \
    DISPLAY="$DISPLAY" WAYLAND_DISPLAY=wayland-full "$GAME" -platform wayland
refused "the Wayland compositor on WAYLAND_DISPLAY=wayland-quiet" \
    QT_QPA_PLATFORM='wayland;xcb' DISPLAY="$DISPLAY" WAYLAND_DISPLAY=wayland-quiet "$GAME"
refused "the Wayland compositor on wayland-0 (WAYLAND_DISPLAY is not set)" XDG_RUNTIME_DIR="$WORK/run-default" "$GAME"
# The player's display and plugin are taken as given, the silent ones never asked.
opens DISPLAY="$SILENT_X" "$GAME" -display "$SILENT_X" -display "$DISPLAY"
opens QT_QPA_PLATFORM=xcb WAYLAND_DISPLAY=wayland-full "$GAME"

needs_tracing child

# fatal_start TUNE...: starts the game with only the given tunes, under strace.
fatal_start()
{
    rm -f "$PLAY"/*
    install_tunes "$@"
    install_ranking
    # LeakSanitizer cannot work under a tracer; in a sanitizer build it stands down.
    (cd "$PLAY" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" exec strace -f -qq -e trace=%file -e signal=none -o "$WORK/files" "$GAME") \
        </dev/null >"$WORK/game.out" 2>"$WORK/game.err" &
    GAME_PID=$!
    local box
    box=$(find_window 'アプリケーション エラー' 20)
    [[ -n $box ]] || fail "no fatal error box"
    [[ -z $(search_windows --name "^${MAIN_TITLE}\$") ]] || fail "a race screen window exists"
    sleep 0.3
    [[ -z $(search_windows --name "^${MAIN_TITLE}\$") ]] || fail "a race screen window exists"
    press_in "$box" Return
    wait_game_exit 10
    ((GAME_STATUS == 1)) || fail "exit code $GAME_STATUS after the fatal box"
    [[ ! -s $WORK/game.err ]] || fail "the game wrote to stderr: $(head -c 500 "$WORK/game.err")"
}

# opened NAME: whether the traced run looked for NAME in the play folder.
opened() { grep -Eq "\"(\\./|$PLAY/)?$1\"" "$WORK/files"; }

fatal_start goal.mid
opened 100m.mid || fail "100m.mid was not looked for"
! opened goal.mid || fail "goal.mid was looked for after 100m.mid failed"
! opened rank.mlt || fail "rank.mlt was read after a fatal error"
log "no 100m.mid: fatal, exit code 1"

fatal_start 100m.mid
opened 100m.mid || fail "100m.mid was not opened"
opened goal.mid || fail "goal.mid was not looked for"
[[ $(grep -n '100m\.mid"' "$WORK/files" | head -n1 | cut -d: -f1) -lt \
   $(grep -n 'goal\.mid"' "$WORK/files" | head -n1 | cut -d: -f1) ]] || fail "goal.mid was tried first"
! opened rank.mlt || fail "rank.mlt was read after a fatal error"
log "no goal.mid: fatal, exit code 1"
log "pass"
