#!/bin/bash
# The game played with a screen reader, as a blind player meets it: Orca
# itself runs, and what it says is read back from a speech-dispatcher output
# module that writes each utterance to a file (no sound card). One scenario:
# the toolbar by Tab (name, role and keys; the focus mark only once the
# keyboard moved the focus), what the game is, the runner who runs, Escape
# closing the runner bar, a race into the top ten by mouse and by ear (the
# quarters and F3's clock told) with the time and the place spoken and nothing
# else in between, the name dialog's prompt and its hint, the saved name
# confirmed, the ranking's ten rows on opening and again row by row, F2's new
# race, F1's help read line by line with the arrow keys, its links told and
# followed, a table read by rows, Escape closing it, Ctrl+Q from the help.
# Then three first starts: what the windows give assistive technology (the
# error box, the race screen, the ranking and version windows) is the same
# under ja_JP.UTF-8 as under C, and in English holds no Japanese but the
# stored names.
# Through the AT-SPI registry: the race screen's tree (both bars, the pads,
# the keys as Orca reads them) and Press, as Orca's own "click" does. Nothing
# forces Qt's accessibility on: the game follows the desktop, where Orca has
# turned it on.
source "$(dirname "$0")/lib.sh" "$@"

for tool in orca speech-dispatcher dbus-daemon gsettings; do
    command -v "$tool" >/dev/null ||
        skip "$tool not found (Debian: orca speech-dispatcher speech-dispatcher-espeak-ng python3-speechd dbus-daemon)"
done
GENERIC_MODULE=/usr/lib/speech-dispatcher-modules/sd_generic
BUS_LAUNCHER=/usr/libexec/at-spi-bus-launcher
[[ -x $GENERIC_MODULE ]] || skip "$GENERIC_MODULE not found (Debian: speech-dispatcher)"
[[ -x $BUS_LAUNCHER ]] || skip "$BUS_LAUNCHER not found (Debian: at-spi2-core)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi not found (Debian: python3-pyatspi)"
# Orca refuses to start while another Orca of the same user runs (it asks
# pgrep), and the test cannot run without its own.
another_orca()
{
    local comm
    for comm in /proc/[0-9]*/comm; do
        [[ -O $comm && $(cat "$comm" 2>/dev/null) == orca ]] && { comm=${comm#/proc/}; echo "${comm%/comm}"; }
    done
}
[[ -z $(another_orca) ]] ||
    fail "could not start Orca: another Orca of this user runs (process $(another_orca | tr '\n' ' ')), and Orca" \
         "refuses to start beside it"
atspi() { /usr/bin/python3 "$TESTS_DIR/atspi.py" "$@"; }
# A sanitizer build records whole stacks: the leak suppression for Qt's
# screen-reader bridge names a frame below Qt's code without frame pointers.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:fast_unwind_on_malloc=0"

# A session bus of the test's own, started with the private HOME that lib.sh
# set, so that the settings it starts (dconf) stay in the work folder.
dbus-daemon --session --nofork --print-address=3 3>"$WORK/bus" </dev/null >"$WORK/dbus.log" 2>&1 &
BACKGROUND_PIDS+=($!)
wait_started "the session bus" $! "$WORK/dbus.log" grep -q . "$WORK/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")

start_display
"$BUS_LAUNCHER" --launch-immediately </dev/null >"$WORK/at-spi.log" 2>&1 &
BACKGROUND_PIDS+=($!)
AT_SPI_PID=$!
# Asked before the launcher has its name, the bus would start a second one.
a11y_bus_up()
{
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
wait_started "the accessibility bus" "$AT_SPI_PID" "$WORK/at-spi.log" a11y_bus_up
gsettings set org.gnome.desktop.interface toolkit-accessibility true
# The desktop's screen reader switch, which starts Orca on GNOME (and which its
# autostart entry asks for): the accessibility bus reports it to programs as
# ScreenReaderEnabled, and the game runs the race by ear.
gsettings set org.gnome.desktop.a11y.applications screen-reader-enabled true

# speech-dispatcher with one output module, whose "synthesis" appends the
# utterance to a file. It wants an audio device all the same: ALSA's null one.
SPOKEN="$WORK/spoken"
: >"$SPOKEN"
mkdir -p "$WORK/speechd/modules"
cat >"$WORK/speechd/speechd.conf" <<CONF
AddModule "record" "sd_generic" "record.conf"
DefaultModule record
AudioOutputMethod "alsa"
LogLevel 3
LogDir "$WORK"
CONF
cat >"$WORK/speechd/modules/record.conf" <<CONF
GenericExecuteSynth "printf '%s\\\\n' \\'\$DATA\\' >>$SPOKEN"
AddVoice "en" "MALE1" "en"
AddVoice "ja" "MALE1" "ja"
DefaultVoice "en"
GenericLanguage "en" "en" "utf-8"
GenericLanguage "ja" "ja" "utf-8"
CONF
printf 'pcm.!default { type null }\nctl.!default { type hw card 99 }\n' >"$WORK/null-pcm.conf"
ALSA_CONFIG_PATH="$WORK/null-pcm.conf" speech-dispatcher -s -t 0 -C "$WORK/speechd" \
    </dev/null >"$WORK/speechd.out" 2>&1 &
BACKGROUND_PIDS+=($!)
speech_ready() { [[ -S $XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock ]]; }
wait_started speech-dispatcher $! "$WORK/speechd.out" speech_ready

# heard_since LINE TEXT: whether Orca said TEXT (one whole utterance line, as
# recorded) after the first LINE lines of the record.
heard_since() { tail -n +"$(($1 + 1))" "$SPOKEN" | grep -Fxq -- "$2"; }
said_so_far() { wc -l <"$SPOKEN"; }
# hear TEXT...: waits until Orca has said each TEXT since the last mark.
HEARD_MARK=0
mark()
{
    wait_until 30 orca_caught_up || fail "Orca still had $(orca_pending) events to take after 30 s"
    HEARD_MARK=$(said_so_far)
}
hear()
{
    local text
    for text in "$@"; do
        wait_until 20 heard_since "$HEARD_MARK" "$text" || fail "Orca did not say '$text'; it said: $(tail -n +"$((HEARD_MARK + 1))" "$SPOKEN" | tr '\n' '|')"
        log "heard: $text"
    done
}
# key KEY: a key, pressed wherever the keyboard is (the active window).
key() { xdotool key --clearmodifiers "$1"; }

# Orca takes the desktop's events from a queue one at a time, and while more
# than 50 wait it drops those it counts as chatter, a notification among them.
# So each step starts once Orca has taken every event it queued, as a listener
# lets it finish before the next key; its record counts them. Orca writes the
# record through a buffer unless it goes to a terminal: `script` gives it one.
orca_pending()
{
    awk '/EVENT MANAGER: Queueing / {n++} /EVENT MANAGER: Dequeued / {n--}
         match($0, /EVENT MANAGER: [0-9]+ events pruned/) {n -= substr($0, RSTART + 15) + 0}
         END {print n + 0}' "$WORK/orca.debug"
}
orca_caught_up() { (($(orca_pending) == 0)); }

mkdir -p "$WORK/orca"
script -qfec "exec orca -u '$WORK/orca' --debug-file /dev/tty >'$WORK/orca.out' 2>&1" "$WORK/orca.debug" \
    </dev/null >/dev/null 2>&1 &
BACKGROUND_PIDS+=($!)
orca_pid() { ORCA_PID=$(pgrep -P "$1"); [[ -n $ORCA_PID ]]; }
wait_until 10 orca_pid $! || fail "could not start Orca: its terminal did not start it"
BACKGROUND_PIDS+=($ORCA_PID)
wait_started Orca "$ORCA_PID" "$WORK/orca.out" heard_since 0 "Screen reader on."

# Places 1 to 10: P1 at 30.0 s, P2 at 31.1 s, ... P10 at 39.9 s; a race of
# under 30 s takes place 1.
{
    for k in {0..9}; do printf '%s\r\n' $((30 + k)); done
    for k in {0..9}; do printf '%s\r\n' "$k"; done
    for k in {0..9}; do printf 'P%s\r\n' $((k + 1)); done
    for k in {0..9}; do printf '%s\r\n' $(((30 + k) * 10 + k)); done
    printf '\r\n\r\n\r\n\r\n\r\n'
} >"$PLAY/rank.mlt"
install_tunes
without_sound_card
mark
start_game
find_race_screen
# Speech-dispatcher turns full-width letters into plain ones ("100ｍ" is said
# as "100m"); the record holds what it was given to say.
hear "ミルタ100m走 frame." "キャラクター push button."
# What the game is, said once with the race screen.
hear "赤と青のパッドの上でマウスを左右に振って走者を走らせ、100mのタイムを競うゲームで、F1 キーでヘルプが開きます。"

# The toolbar by keyboard. The first button has the focus from the start,
# without a mark: the mouse player sees the pictures as drawn.
capture at_rest
shows_picture at_rest $((RUNNER_X - 20)) $((BUTTON_Y - 20)) button_runner.xpm ||
    fail "the focused button shows a mark before any key was pressed"
mark
key Tab
hear "リトライ push button F2 Ctrl+N."
retry_marked() { capture tabbed && ! shows_picture tabbed $((RETRY_X - 20)) $((BUTTON_Y - 20)) button_retry.xpm; }
wait_until 5 retry_marked || fail "Tab brought no focus mark to リトライ"
for spoken in "ランキング push button." "ヘルプ push button F1." "Ver情報 push button." "終了 push button Ctrl+Q."; do
    mark
    key Tab
    hear "$spoken"
done
# Along the bar, round from its right end to its left.
mark
key Right
hear "キャラクター push button."

# Press, as Orca's "click" presses: the selection bar opens, and the focus
# goes to its first portrait; 戻る brings the toolbar back.
atspi race-screen || fail "the race screen's tree"
mark
atspi press キャラクター || fail "Press on キャラクター"
hear "ポルカさん push button."
mark
atspi press 戻る || fail "Press on 戻る"
hear "キャラクター push button."
# Escape closes the bar too; a runner chosen is said on the runner button.
mark
key space
hear "ポルカさん push button."
mark
key Escape
hear "キャラクター push button."
mark
atspi press キャラクター || fail "Press on キャラクター"
hear "ポルカさん push button."
mark
atspi press 嘆きの老人 || fail "Press on 嘆きの老人"
hear "キャラクター push button." "嘆きの老人が走ります."

# A race by mouse, and by ear since a screen reader runs: each quarter of the
# way told, the clock on F3, nothing else while it runs, then the time with the
# prompt.
point "$RED_X" "$PAD_Y"
mark
race_mark=$HEARD_MARK
race_start=$(date +%s%N)
sweep 45
# Orca reads a notice's text when it comes to its event: F3 waits until
# "50m" is heard, or a slow machine has the clock read for both.
wait_until 20 heard_since "$HEARD_MARK" "notification 50m." || fail "Orca did not say 50m after 45 strides"
key F3
sweep 40
dialog=$(find_window 'ランキング名前入力' 10)
[[ -n $dialog ]] || fail "no name dialog after 85 strides"
race_seconds=$((($(date +%s%N) - race_start) / 1000000000 + 1))
hear "1位です。名前を入力して下さい。 text."
# The default name, read whole with the box (its last character was left out).
hear "名前なし selected."
time_line=$(tail -n +"$((race_mark + 1))" "$SPOKEN" | grep -m1 '^ランキング名前入力 dialog ') ||
    fail "the name dialog was not announced"
[[ $time_line =~ ^ランキング名前入力\ dialog\ ([0-9]+\.[0-9]秒)\.$ ]] || fail "the dialog was announced as '$time_line'"
race_time=${BASH_REMATCH[1]}
# Up to the dialog: the race screen said nothing a second (the dialog's own
# words come at once, a handful of lines).
race_lines=$(tail -n +"$((race_mark + 1))" "$SPOKEN" | grep -n -m1 -F "$time_line" | cut -d: -f1)
((race_lines - 1 <= race_seconds + 4)) ||
    fail "$((race_lines - 1)) utterances in a race of $race_seconds s: $(tail -n +"$((race_mark + 1))" "$SPOKEN" | head -n "$race_lines" | tr '\n' '|')"
log "the race: $((race_lines - 1)) utterances before the dialog, time $race_time"
told=$(tail -n +"$((race_mark + 1))" "$SPOKEN" | head -n "$race_lines" | grep -E '^notification ([0-9]+m|[0-9]+\.[0-9]秒)\.$' | tr '\n' '|')
[[ $told =~ ^notification\ 25m\.\|notification\ 50m\.\|notification\ [0-9]+\.[0-9]秒\.\|notification\ 75m\.\|$ ]] ||
    fail "the quarters and the clock were told as '$told'"
[[ $told != *"notification 0.0秒"* ]] || fail "F3 read a stopped clock: '$told'"
log "by ear: $told"

# A character the ranking cannot keep: the hint is said. xdotool types a
# character its keyboard lacks on a keycode it maps only for that key, and a
# game slower than the map's return (a busy machine, a sanitizer build) reads
# the key as nothing; so é gets a keycode of its own first, as a layout that
# has it gives: the game reads the new map, which stays, before the key.
python3 - <<'PYTHON'
import ctypes
xlib = ctypes.CDLL("libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XStringToKeysym.restype = ctypes.c_ulong
xlib.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = xlib.XOpenDisplay(None)
keysym = ctypes.c_ulong(xlib.XStringToKeysym(b"eacute"))
xlib.XChangeKeyboardMapping(display, 255, 1, ctypes.byref(keysym), 1)
xlib.XCloseDisplay(display)
PYTHON
refusal="notification 「é」は使えない文字です."
mark
xdotool type é
hear "$refusal"
key ctrl+a
xdotool type --delay 30 Orca
mark
xdotool key --clearmodifiers Return
wait_until 10 window_gone "$dialog" || fail "the name dialog stayed open"
# The race screen active again, the focus back on キャラクター.
hear "notification 1位に Orca を登録しました." "ミルタ100m走 frame." "キャラクター push button."

# The ranking by keyboard.
key Tab
key Tab
mark
key space
rows="1位 Orca $race_time"
for k in {0..8}; do rows+=" $((k + 2))位 P$((k + 1)) $((30 + k)).${k}秒"; done
hear "alert ランキング." "$rows." "OK push button."
ranking=$(find_window 'ランキング' 5)
[[ -n $ranking ]] || fail "the ranking window is not shown"
# Read again, a line at a time (the title, then the rows), while the window
# is open. Orca reads a notice's text when it comes to its event: each row is
# heard before the next key, or a busy machine has it read the later one twice.
mark
key Down
sleep 0.5
key Down
hear "notification 1位 Orca $race_time."
key Down
hear "notification 2位 P1 30.0秒."
# Two rows asked for at once: each is heard, in order (one notice for both
# had the later row read twice).
mark
xdotool key --clearmodifiers Down Down
hear "notification 3位 P2 31.1秒." "notification 4位 P3 32.2秒."
told=$(tail -n +"$((HEARD_MARK + 1))" "$SPOKEN" | grep -E '^notification [34]位 ' | tr '\n' '|')
[[ $told == "notification 3位 P2 31.1秒.|notification 4位 P3 32.2秒.|" ]] ||
    fail "two rows read at once were told as '$told'"
# Moved aside, off its button, for Orca's click below.
xdotool windowmove "$ranking" 620 20
mark
key Escape
wait_until 5 window_gone "$ranking" || fail "Escape left the ranking window open"
hear "ミルタ100m走 frame."

# Orca's flat review "click here" (KP_Divide) on the ranking button, with the
# window away from its button (as at scale 2, or moved by the player): the
# window comes up in front and active. Orca clicks, and clicks again when the
# pointer seems not to have moved yet, and then presses the button through
# the accessibility bus; the clicks can land after the window is shown, on
# the race screen, which the window manager then raises.
mark
key KP_Subtract
hear "Entering flat review." "ランキング"
key KP_Divide
ranking=$(find_window 'ランキング' 10)
[[ -n $ranking ]] || fail "Orca's click on the ranking button showed no ranking window"
# Once Orca's clicks have come (the pointer on the button) and the window
# manager has had them.
clicked_at_button()
{
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    ((X - ORIGIN_X - RANKING_X <= 2 && ORIGIN_X + RANKING_X - X <= 2 && Y - ORIGIN_Y - BUTTON_Y <= 2 &&
      ORIGIN_Y + BUTTON_Y - Y <= 2))
}
wait_until 10 clicked_at_button || fail "Orca's click did not come to the ranking button: $(xdotool getmouselocation)"
wait_until 2 window_active "$MAIN_WINDOW" || true
wait_until 5 window_active "$ranking" || fail "the ranking window opened by Orca's click is not active"
[[ $(xprop -root _NET_CLIENT_LIST_STACKING) == *"$(printf '0x%x' "$ranking")" ]] ||
    fail "the ranking window is active but not in front: $(xprop -root _NET_CLIENT_LIST_STACKING)"
mark
key Escape
wait_until 5 window_gone "$ranking" || fail "Escape left the ranking window open"
hear "ミルタ100m走 frame."

# F2: a new race, and the screen reader says it is ready.
mark
key F2
hear "notification 新しいレースの用意ができました."

# F1's help: the title, its first line, then a line for each Down.
mark
key F1
hear "ミルタ100m走 ヘルプ frame." "read only document frame ミルタ100m走."
help=$(find_window 'ミルタ100ｍ走 ヘルプ' 5)
[[ -n $help ]] || fail "F1 opened no help"
for line in "マウスを左右に振って走者を走らせ、100mのタイムを競うゲームです。 " "目次" "遊び方"; do
    mark
    key Down
    hear "$line"
done
# The contents' links: Tab says each; Return takes the reading there. A table
# is read a row at a time, a key with what it does.
for link in 遊び方 赤と青のパッド 時計 ランキング 走者 リトライ ボタン一覧; do
    mark
    key Tab
    hear "notification $link."
done
mark
key Return
hear "notification ボタン一覧."
# Orca says a row's cells one after the other.
for row in "ボタン はたらき" "キャラクター 走者を選ぶバーを開きます"; do
    mark
    key Down
    read -ra cells <<<"$row"
    hear "${cells[@]}"
done
mark
key Escape
wait_until 5 window_gone "$help" || fail "Escape left the help viewer open"
hear "ミルタ100m走 frame."

# The help viewer is one of the game's windows: Ctrl+Q ends the game from there.
mark
key F1
hear "ミルタ100m走 ヘルプ frame."
key ctrl+q
wait_game_exit 10
((GAME_STATUS == 0)) || fail "exit code $GAME_STATUS after Ctrl+Q"

# first_start_texts LOCALE LANGUAGE BOX RANKING VERSION: in $WORK/texts.LOCALE,
# sorted, the texts of a first start under LC_ALL=LOCALE and LANGUAGE: the
# error box that finds no ranking file, then the race screen with the ranking
# (button RANKING) and version (button VERSION) windows shown.
first_start_texts()
{
    rm -f "$PLAY/rank.mlt"
    LC_ALL=$1 LANGUAGE=$2 start_game
    atspi texts "$3" >"$WORK/texts" || fail "$1: no error box '$3'"
    atspi press OK || fail "$1: Press on the error box's OK"
    atspi press "$4" && atspi press "$5" || fail "$1: Press on $4 or $5"
    atspi texts "$4" "$5" >>"$WORK/texts" || fail "$1: no ranking or version window"
    kill -TERM "$GAME_PID"
    wait_game_exit 10
    sort "$WORK/texts" >"$WORK/texts.$1"
}
first_start_texts C '' Milta100m ランキング Ver情報
first_start_texts ja_JP.UTF-8 '' Milta100m ランキング Ver情報
grep -q '^label: ファイル rank.mlt は開けません. | $' "$WORK/texts.C" ||
    fail "no first-start error box under C: $(head -c 300 "$WORK/texts.C")"
cmp -s "$WORK/texts.C" "$WORK/texts.ja_JP.UTF-8" ||
    fail "the texts differ under ja_JP.UTF-8 and C: $(diff "$WORK/texts.C" "$WORK/texts.ja_JP.UTF-8" | head -n 10 | tr '\n' '|')"
first_start_texts en_US.UTF-8 en Milta100m Ranking Version
grep -q '^label: Cannot open file rank.mlt. | $' "$WORK/texts.en_US.UTF-8" ||
    fail "no English first-start error box: $(head -c 300 "$WORK/texts.en_US.UTF-8")"
japanese=$(sed 's/名前なし//g' "$WORK/texts.en_US.UTF-8" | grep -P '[\p{Han}\p{Hiragana}\p{Katakana}\x{3000}-\x{303f}\x{ff00}-\x{ffef}]') &&
    fail "Japanese in English: $(head -n 5 <<<"$japanese" | tr '\n' '|')"
kill -TERM "$ORCA_PID"
wait_until 10 process_gone "$ORCA_PID" || log "Orca did not end within 10 s of SIGTERM"
# Its shutdown may end with a SIGKILL of its own; bash need not say so.
wait "$ORCA_PID" 2>/dev/null || true
log "pass"
