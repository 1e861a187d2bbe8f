# Shared by the end-to-end tests: a private X server with a window manager, a
# fresh play folder holding the tunes, the game started in it, and helpers to
# find windows, drive the pointer and read pixels back from the screen.
#
# A test script starts with:
#   source "$(dirname "$0")/lib.sh" "$GAME" "$DATA_DIR"
# Everything it starts is stopped again when the script ends, whatever the
# reason, and a watchdog ends the script after E2E_TIMEOUT seconds. A machine
# without a tool the test needs, or one that forbids tracing to a test that
# traces, ends it as skipped: exit code 77, with the reason. Whatever ends a
# test early says so in a line that starts with "FAIL:", a command that failed
# where the script did not check it too.

set -Eeuo pipefail

# unchecked_failure STATUS COMMAND WHERE: a command failed that the script did
# not check; set -e ends the test. Inside $( ) errexit is off: the assignment
# that takes the output fails in turn and is named.
unchecked_failure()
{
    [[ $- == *e* ]] || return 0
    fail "$3: '$2' exited with $1"
}
trap 'unchecked_failure $? "$BASH_COMMAND" "${BASH_SOURCE[0]##*/}:$LINENO${FUNCNAME:+ in ${FUNCNAME[*]}}"' ERR

GAME=$(realpath "$1")
DATA_DIR=$(realpath "$2")
TESTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ART_DIR="$TESTS_DIR/../../src/ui/art"
E2E_TIMEOUT=${E2E_TIMEOUT:-90}

MAIN_TITLE='ミルタ100ｍ走'
source "$TESTS_DIR/gamefacts.sh"
SKY_RGB=00FFFF

# Xvfb and xdotool match window names as UTF-8.
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS

# skip REASON: ends the test as skipped, for a machine that lacks what it needs.
skip()
{
    echo "SKIP: $*"
    exit 77
}

# A script that needs other tools names them, and their packages, before
# sourcing this.
E2E_TOOLS=${E2E_TOOLS:-Xvfb openbox xdotool xwininfo xprop import convert compare identify iconv timeout flock}
E2E_PACKAGES=${E2E_PACKAGES:-xvfb openbox xdotool x11-utils imagemagick}
missing=()
for tool in $E2E_TOOLS; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
((${#missing[@]} == 0)) || skip "missing tools: ${missing[*]} (Debian: $E2E_PACKAGES)"

# A sanitizer build of the game reports leaks of its own, not of system libraries.
export LSAN_OPTIONS="suppressions=$TESTS_DIR/../lsan.supp:print_suppressions=0"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/milta-e2e.XXXXXX")
PLAY="$WORK/play"
mkdir -p "$PLAY" "$WORK/home" "$WORK/run"
chmod 700 "$WORK/run"
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" XDG_CONFIG_HOME="$WORK/home/.config"

BACKGROUND_PIDS=()
GAME_PID=
E2E_MAIN_PID=$$

# On stderr, so that a failure inside $( ) shows too.
log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*" >&2; }

# save_screen FILE: what the screen shows, as PNG; fails where there is none.
save_screen() { [[ -n ${DISPLAY:-} ]] && import -window root "$1" 2>/dev/null; }

fail()
{
    log "FAIL: $*"
    # What the screen looked like, for whoever reads the failure.
    save_screen "$WORK/failure.png" && keep_work=1 || true
    [[ -n ${DISPLAY:-} ]] && xwininfo -root -tree >"$WORK/failure-windows.txt" 2>&1 || true
    save_game_threads
    exit 1
}

# What a game that is still running was doing when a test failed: every
# thread's stack in game-threads.txt, the main thread's innermost calls in the log.
save_game_threads()
{
    [[ -n $GAME_PID ]] && ! process_gone "$GAME_PID" && command -v gdb >/dev/null || return 0
    timeout 60 gdb -batch -nx -p "$GAME_PID" -ex 'thread apply all bt 40' >"$WORK/game-threads.txt" 2>&1 || true
    log "the game was in: $(awk '/^Thread 1 / {main = 1; next}
        main && /^#/ && match($0, / in /) {
            call = substr($0, RSTART + 4); sub(/[ (].*/, "", call)
            printf "%s%s", (n ? " <- " : ""), (call == "" ? "??" : call)
            if (++n == 8) exit
        }' "$WORK/game-threads.txt") (every thread: game-threads.txt)"
}

keep_work=${E2E_KEEP:-0}

# Functions a script adds here run first when it ends, to stop what it
# started itself.
CLEANUP_HOOKS=()

cleanup()
{
    local status=$?
    trap - EXIT INT TERM
    stop_watchdog
    local hook
    for hook in "${CLEANUP_HOOKS[@]}"; do "$hook" || true; done
    if [[ -n $GAME_PID ]]; then
        kill -KILL "$GAME_PID" 2>/dev/null || true
        wait "$GAME_PID" 2>/dev/null || true
    fi
    local pid
    for pid in "${BACKGROUND_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    stop_display
    for pid in "${BACKGROUND_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [[ ($status -ne 0 && $status -ne 77) || $keep_work == 1 ]]; then
        log "work folder kept: $WORK"
    else
        rm -rf "$WORK"
    fi
    exit "$status"
}
trap cleanup EXIT
# What is starting now, for the watchdog to name if it never comes up.
STARTING=
trap 'fail "$([[ -e $WORK/timed-out ]] && echo "no end after $E2E_TIMEOUT s${STARTING:+: could not start $STARTING}" ||
              echo interrupted)"' INT TERM

# The watchdog: a test that hangs ends itself instead of stalling the run.
(
    sleep "$E2E_TIMEOUT"
    touch "$WORK/timed-out"
    kill -TERM "$E2E_MAIN_PID" || true
) </dev/null >/dev/null 2>&1 &
WATCHDOG_PID=$!
# The watchdog goes first as the script ends, and its sleep with it: a sleep
# left behind would hold what the script inherited (a caller's lock) for
# E2E_TIMEOUT seconds.
stop_watchdog()
{
    [[ -n ${WATCHDOG_PID:-} ]] || return 0
    local sleep_pid
    sleep_pid=$(pgrep -P "$WATCHDOG_PID" || true)
    kill -KILL "$WATCHDOG_PID" 2>/dev/null || true
    [[ -z $sleep_pid ]] || kill -KILL $sleep_pid 2>/dev/null || true
}

# wait_until SECONDS COMMAND...: polls COMMAND every 50 ms until it succeeds.
wait_until()
{
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.05
    done
}

# wait_started WHAT PID LOG COMMAND...: waits until COMMAND says that WHAT is
# up, for as long as its process PID lives: a busy machine or a cold cache
# can make a start slow, and the watchdog bounds the wait. A process that
# ends first fails the test, saying that WHAT could not start and how its LOG
# ended.
wait_started()
{
    local what=$1 pid=$2 log=$3
    shift 3
    STARTING=$what
    until "$@"; do
        if process_gone "$pid"; then
            "$@" && break
            fail "could not start $what: it ended ($(tail -n 5 "$log" 2>/dev/null | tr '\n' ' '))"
        fi
        sleep 0.05
    done
    STARTING=
}

# X servers of parallel tests take the lowest free display number. One that
# is still shutting down keeps its sockets while its lock is already gone,
# and a new server on its number would lose its clients to it; so servers
# start and stop one at a time.
XSERVER_LOCK=/tmp/.milta-e2e-xserver.lock
XSERVER_PID=

# Starts Xvfb on a display number of its own choosing, then openbox. The
# screen is E2E_SCREEN (WIDTHxHEIGHT) big, 1024x768 unless set.
start_display()
{
    exec 9>>"$XSERVER_LOCK"
    flock -w 30 9 || fail "the X server lock stayed taken"
    # Emptied here, not by the background job's own redirection, which may
    # come after the wait below has read the number of an X server stopped
    # before (a test that starts a second one).
    : >"$WORK/display"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768}x24" -nolisten tcp -noreset -ac \
        3>"$WORK/display" </dev/null >"$WORK/xvfb.log" 2>&1 9>&- &
    XSERVER_PID=$!
    wait_started Xvfb "$XSERVER_PID" "$WORK/xvfb.log" grep -qs '^[0-9][0-9]*$' "$WORK/display"
    exec 9>&-
    DISPLAY=":$(head -n1 "$WORK/display")"
    export DISPLAY
    openbox --sm-disable </dev/null >"$WORK/openbox.log" 2>&1 &
    BACKGROUND_PIDS+=($!)
    wait_started openbox $! "$WORK/openbox.log" window_manager_ready
    log "display $DISPLAY ready"
}

# Ends the X server (Xvfb, or the compositor that runs XWayland) and waits
# until it is gone, under the lock.
stop_display()
{
    [[ -n $XSERVER_PID ]] || return 0
    exec 9>>"$XSERVER_LOCK"
    flock -w 30 9 || true
    kill -TERM "$XSERVER_PID" 2>/dev/null || true
    wait_until 5 process_gone "$XSERVER_PID" || kill -KILL "$XSERVER_PID" 2>/dev/null || true
    wait "$XSERVER_PID" 2>/dev/null || true
    XSERVER_PID=
    exec 9>&-
}

# process_gone PID: whether a child has ended (it may wait to be reaped).
process_gone()
{
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    [[ ${stat##*) } == Z* ]]
}

window_manager_ready()
{
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Puts the tunes in the play folder (all of them unless names are given).
install_tunes()
{
    local tunes=("$@")
    ((${#tunes[@]})) || tunes=(100m.mid goal.mid)
    local tune
    for tune in "${tunes[@]}"; do cp "$DATA_DIR/$tune" "$PLAY/"; done
}

# Starts the game in the play folder; its output goes to game.out/game.err.
start_game()
{
    (cd "$PLAY" && exec "$GAME") </dev/null >"$WORK/game.out" 2>"$WORK/game.err" &
    GAME_PID=$!
    log "game started, pid $GAME_PID"
}

# wait_game_exit SECONDS: waits for the game to end and sets GAME_STATUS.
wait_game_exit()
{
    local limit=$1
    wait_until "$limit" process_gone "$GAME_PID" || fail "the game did not end within $limit s"
    GAME_STATUS=0
    wait "$GAME_PID" || GAME_STATUS=$?
    GAME_PID=
}


# search_windows ARGUMENTS...: the ids that `xdotool search ARGUMENTS...`
# prints, none if no window matches. xdotool dies of an X error (BadWindow)
# when a window goes while it looks at it, as windows come and go at the
# game's start; it is asked again.
search_windows()
{
    local attempt found
    for attempt in 1 2 3 4 5; do
        found=$(xdotool search "$@" 2>"$WORK/xdotool.err") && { echo "$found"; return 0; }
        grep -q 'X Error' "$WORK/xdotool.err" || return 0
    done
    log "xdotool search $* failed $attempt times: $(head -c 300 "$WORK/xdotool.err")"
    return 1
}

# visible_windows NAME: prints the ids of visible windows named exactly NAME, at once.
visible_windows()
{
    search_windows --onlyvisible --name "^${1}\$" || true
}

# find_window NAME SECONDS: prints the id of a visible window named exactly
# NAME as soon as there is one; nothing if none comes within SECONDS.
find_window()
{
    FOUND_WINDOW=
    wait_until "$2" found_window "$1" || true
    echo "$FOUND_WINDOW"
}
found_window() { FOUND_WINDOW=$(visible_windows "$1" | head -n1); [[ -n $FOUND_WINDOW ]]; }

# client_origin WINDOW: sets ORIGIN_X and ORIGIN_Y to the client area's screen position.
client_origin()
{
    local info
    info=$(xwininfo -id "$1")
    ORIGIN_X=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    ORIGIN_Y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
}

# Waits for the race screen of the game started last and sets MAIN_WINDOW
# with its client origin. Another copy's race screen has the same title and
# place: the first window of that name can be the other copy's.
find_race_screen()
{
    FOUND_WINDOW=
    wait_until 20 found_race_screen || true
    MAIN_WINDOW=$FOUND_WINDOW
    [[ -n $MAIN_WINDOW ]] || fail "the race screen did not appear"
    client_origin "$MAIN_WINDOW"
    log "race screen $MAIN_WINDOW, client at $ORIGIN_X,$ORIGIN_Y"
}

found_race_screen()
{
    FOUND_WINDOW=$(search_windows --all --onlyvisible --pid "$GAME_PID" --name "^${MAIN_TITLE}\$" | head -n1)
    [[ -n $FOUND_WINDOW ]]
}

# Dismisses the start-up error box of a first run without rank.mlt.
dismiss_missing_ranking_box()
{
    local box
    box=$(find_window Milta100m 20)
    [[ -n $box ]] || fail "no error box about the missing rank.mlt"
    # The box comes before any race screen.
    [[ -z $(visible_windows "$MAIN_TITLE") ]] || fail "the race screen was shown before the error box"
    press_in "$box" Return
    wait_until 10 window_gone "$box" || fail "the error box did not go away"
}

# window_gone WINDOW: whether the window is off the screen (or destroyed).
window_gone() { [[ $(xwininfo -id "$1" 2>/dev/null) != *IsViewable* ]]; }

window_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }

# focus WINDOW: activates it and waits until the window manager has given it
# the keyboard, so that the next key reaches it and not the window before.
focus()
{
    xdotool windowactivate --sync "$1" 2>/dev/null
    wait_until 5 window_active "$1" || fail "window $1 did not get the keyboard"
}

# press_in WINDOW KEY: the key, pressed in that window.
press_in()
{
    focus "$1"
    xdotool key --clearmodifiers "$2"
}

# point X Y: moves the pointer to client position (X, Y) of the race screen.
point() { xdotool mousemove "$((ORIGIN_X + $1))" "$((ORIGIN_Y + $2))"; }

# click X Y: a left click at client position (X, Y) of the race screen.
click() { click_in "$MAIN_WINDOW" "$1" "$2"; }

# click_in WINDOW X Y: a left click at client position (X, Y) of another window.
click_in()
{
    local info x y
    info=$(xwininfo -id "$1")
    x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    xdotool mousemove "$((x + $2))" "$((y + $3))" sleep 0.05 click 1
}

# sweep N: N red-then-blue alternations across the pads with real pointer
# events. The pause lets the game take every move on its own: the X layer
# folds queued moves together.
sweep()
{
    local n=$1 i args=()
    for ((i = 0; i < n; i++)); do
        args+=(mousemove "$((ORIGIN_X + RED_X))" "$((ORIGIN_Y + PAD_Y))" sleep 0.02
               mousemove "$((ORIGIN_X + BLUE_X))" "$((ORIGIN_Y + PAD_Y))" sleep 0.02)
    done
    xdotool "${args[@]}"
}

# capture NAME: the race screen's client area as $WORK/NAME.png.
capture()
{
    import -window root -crop "${CLIENT_W}x${CLIENT_H}+${ORIGIN_X}+${ORIGIN_Y}" +repage "$WORK/$1.png"
}

# pixel IMAGE X Y: the RRGGBB of a pixel.
pixel()
{
    convert "$WORK/$1.png" -format "%[hex:p{$2,$3}]" info: | cut -c1-6
}

# crop IMAGE GEOMETRY NAME: cuts a region out into $WORK/NAME.png.
crop() { convert "$WORK/$1.png" -crop "$2" +repage "$WORK/$3.png"; }

# differing IMAGE_A IMAGE_B: how many pixels differ (files in $WORK or paths).
differing()
{
    local a=$1 b=$2
    [[ $a == */* ]] || a="$WORK/$a.png"
    [[ $b == */* ]] || b="$WORK/$b.png"
    compare -metric AE "$a" "$b" null: 2>&1 || true
}

# shows_picture IMAGE X Y ART: whether the artwork file ART stands at (X, Y).
shows_picture()
{
    local size
    size=$(identify -format '%wx%h' "$ART_DIR/$4")
    crop "$1" "${size}+$2+$3" picture_check
    [[ $(differing picture_check "$ART_DIR/$4") == 0 ]]
}

# colours IMAGE GEOMETRY: the distinct colours in a region, one RRGGBB a line.
colours()
{
    convert "$WORK/$1.png" -crop "$2" +repage -depth 8 -unique-colors txt:- |
        awk 'NR > 1 {print substr($3, 2, 6)}'
}

# ranking_table SECONDS TENTHS NAME TIME: sets TABLE to the lines of a ranking
# file of the game's own making, every place of it holding that entry.
ranking_table()
{
    TABLE=()
    local k
    for ((k = 0; k < RANKING_LINES; k++)); do TABLE[k]=; done
    for ((k = 0; k < RANKING_PLACES; k++)); do
        TABLE[SECONDS_LINE + k]=$1 TABLE[TENTHS_LINE + k]=$2 TABLE[NAME_LINE + k]=$3 TABLE[TIME_LINE + k]=$4
    done
}

# A ranking file of the game's own making, so that no error box comes first.
install_ranking()
{
    ranking_table 50 0 E2E 500
    printf '%s\r\n' "${TABLE[@]}" >"$PLAY/rank.mlt"
}

# The race screen's close box, as the window manager draws it: the right end
# of the caption bar above the client area.
click_close_box()
{
    local top
    top=$(xprop -id "$MAIN_WINDOW" _NET_FRAME_EXTENTS | awk -F', ' '{print $3}')
    xdotool mousemove "$((ORIGIN_X + CLIENT_W - 11))" "$((ORIGIN_Y - top / 2))" sleep 0.05 click 1
}

# Prints the game's visible tooltip windows.
tooltips()
{
    local window
    for window in $(search_windows --onlyvisible --pid "$GAME_PID"); do
        xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP && echo "$window"
    done
    return 0
}

# at MILLISECONDS: sleeps until that long after $T0 (nanoseconds since the epoch).
at()
{
    local wait_ms=$(($1 - ($(date +%s%N) - T0) / 1000000))
    ((wait_ms <= 0)) || sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
}

# cpu_ticks [TASK_DIR...]: user and system CPU ticks, summed over the game's
# threads or the given /proc task folders.
cpu_ticks()
{
    local tasks=("$@")
    ((${#tasks[@]})) || tasks=(/proc/"$GAME_PID"/task/*)
    local task stat fields total=0
    for task in "${tasks[@]}"; do
        stat=$(cat "$task/stat" 2>/dev/null) || continue
        read -ra fields <<<"${stat##*) }"
        total=$((total + fields[11] + fields[12]))
    done
    echo "$total"
}

# needs_tracing attach|child: skips the test unless strace can trace here:
# attach to a running process that is not its own child (as quiet_for does),
# or run a program under trace. Yama's ptrace_scope, a container's seccomp
# filter or a missing CAP_SYS_PTRACE forbid one or both.
needs_tracing()
{
    command -v strace >/dev/null || skip "strace not found (Debian: strace)"
    local probe="$WORK/tracing-probe" scope
    scope=$(cat /proc/sys/kernel/yama/ptrace_scope 2>/dev/null || echo none)
    if [[ $1 == attach ]]; then
        sleep 10 </dev/null >/dev/null 2>&1 &
        local sleeper=$!
        timeout -s INT 0.5 strace -qq -p "$sleeper" -o "$probe.trace" 2>"$probe.err" || true
        kill "$sleeper" 2>/dev/null || true
        wait "$sleeper" 2>/dev/null || true
        [[ -s $probe.trace ]] ||
            skip "strace may not attach to a running process here (ptrace_scope $scope): $(head -c 300 "$probe.err")"
    else
        strace -f -qq -o /dev/null true 2>"$probe.err" ||
            skip "strace may not trace a program here (ptrace_scope $scope): $(head -c 300 "$probe.err")"
    fi
}

# quiet_for SECONDS LABEL: traces every thread of the game for that long and
# fails, naming each thread and its calls, if any system call completes. The
# calls that the threads sleep in when the trace starts do not count.
quiet_for()
{
    local trace="$WORK/$2.trace" busy_before busy_after
    busy_before=$(cpu_ticks)
    timeout -s INT "$1" strace -f -qq -tt -p "$GAME_PID" -o "$trace" || true
    busy_after=$(cpu_ticks)
    # A thread that spins without system calls shows in its CPU time instead
    # (a tick is 10 ms; attaching the tracer costs a little).
    if ((busy_after - busy_before > 5)); then
        local task
        for task in /proc/"$GAME_PID"/task/*; do
            log "thread ${task##*/} ($(cat "$task/comm")): $(cpu_ticks "$task") ticks of CPU so far"
        done
        fail "$2: the idle game used $((busy_after - busy_before)) ticks of CPU in $1 s"
    fi
    [[ -s $trace ]] || fail "strace could not attach to the game (is ptrace allowed here?)"
    local activity
    activity=$(grep -v -e '<unfinished \.\.\.>$' -e '<detached \.\.\.>$' "$trace" || true)
    if [[ -n $activity ]]; then
        local tid
        for tid in $(awk '{print $1}' <<<"$activity" | sort -u); do
            log "thread $tid ($(cat "/proc/$GAME_PID/task/$tid/comm" 2>/dev/null || echo gone)):" \
                "$(grep -c "^$tid " <<<"$activity") calls, e.g. $(grep -m1 "^$tid " <<<"$activity" | cut -c1-160)"
        done
        fail "$2: the idle game made $(wc -l <<<"$activity") system calls in $1 s"
    fi
    log "$2: no system call in $1 s ($(wc -l <"$trace") threads asleep)"
}

# A race screen shown from a play folder that holds the tunes and a ranking,
# on a display of its own.
open_race_screen()
{
    start_display
    install_tunes
    install_ranking
    start_game
    find_race_screen
}

# ALSA's only card is one that does not exist: the game has no sound card,
# whatever machine the test runs on.
without_sound_card()
{
    cat >"$WORK/asound.conf" <<'ALSA'
pcm.!default { type hw card 99 }
ctl.!default { type hw card 99 }
ALSA
    export ALSA_CONFIG_PATH="$WORK/asound.conf"
}

# The exit button ends the game with exit code 0.
exit_by_button()
{
    click "$EXIT_X" "$BUTTON_Y"
    wait_game_exit 10
    ((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after the exit button"
}

# frame_geometry WINDOW: the window's outer frame as the window manager drew
# it, as "X Y WIDTH HEIGHT".
frame_geometry()
{
    local left right top bottom
    IFS=', ' read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
    xwininfo -id "$1" | awk -v l="$left" -v r="$right" -v t="$top" -v b="$bottom" '
        /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF}
        END {print x - l, y - t, w + l + r, h + t + b}'
}

# client_rect WINDOW GEOMETRY: a WxH+X+Y region of the window's client area
# on the screen, as "X Y WIDTH HEIGHT".
client_rect()
{
    local info
    info=$(xwininfo -id "$1")
    IFS='x+' read -r w h x y <<<"$2"
    echo "$(($(awk '/Absolute upper-left X/ {print $NF}' <<<"$info") + x))" \
         "$(($(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info") + y))" "$w" "$h"
}

# overlapping "X Y W H" "X Y W H": whether two rectangles share a pixel.
overlapping()
{
    local ax ay aw ah bx by bw bh
    read -r ax ay aw ah <<<"$1"
    read -r bx by bw bh <<<"$2"
    ((ax < bx + bw && bx < ax + aw && ay < by + bh && by < ay + ah))
}

# on_screen "X Y W H": whether the rectangle lies wholly on the screen.
on_screen()
{
    local x y w h screen_w screen_h
    read -r x y w h <<<"$1"
    read -r screen_w screen_h < <(xwininfo -root | awk '/^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print w, h}')
    ((x >= 0 && y >= 0 && x + w <= screen_w && y + h <= screen_h))
}

# skips_taskbar WINDOW: whether the window keeps out of the taskbar and the pager.
skips_taskbar()
{
    local state
    state=$(xprop -id "$1" _NET_WM_STATE)
    [[ $state == *_NET_WM_STATE_SKIP_TASKBAR* && $state == *_NET_WM_STATE_SKIP_PAGER* ]]
}

# stacking WINDOW...: those of the windows that the window manager stacks, the
# lowest first.
stacking()
{
    local listed id window stacked=()
    listed=$(xprop -root _NET_CLIENT_LIST_STACKING)
    for id in ${listed#*# }; do
        id=$((${id%,}))
        for window in "$@"; do
            [[ $id != "$window" ]] || stacked+=("$window")
        done
    done
    echo "${stacked[*]}"
}
