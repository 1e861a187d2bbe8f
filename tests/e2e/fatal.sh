#!/bin/bash
# A tune that cannot be opened is fatal: only the "アプリケーション エラー" box,
# never the race screen, exit code 1 after OK. The files the game opens are
# traced to show the order: the race tune first, and nothing after the failure.
source "$(dirname "$0")/lib.sh" "$@"
needs_tracing child

start_display

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
