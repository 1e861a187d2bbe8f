#!/bin/bash
# Takes a picture of the race screen in mid-race for the README: the game runs
# under a private Xvfb in a fresh play folder, a few strides are run with the
# pointer, and the window (caption bar included) is written as a PNG.
#
#   tools/screenshot.sh [OUTPUT.png] [GAME]
# OUTPUT defaults to docs/screenshot.png, GAME to build/src/app/milta100m.
repo=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$repo/docs/screenshot.png}")
source "$repo/tests/e2e/lib.sh" "${2:-$repo/build/src/app/milta100m}" "$repo/data"

start_display
install_tunes
install_ranking
start_game
find_race_screen
sweep 30
point 300 260      # the pointer off the pads, on the ground
sleep 0.5
read -r left right top bottom < <(xprop -id "$MAIN_WINDOW" _NET_FRAME_EXTENTS | awk -F' = ' '{gsub(",", ""); print $2}')
import -window root \
    -crop "$((CLIENT_W + left + right))x$((CLIENT_H + top + bottom))+$((ORIGIN_X - left))+$((ORIGIN_Y - top))" \
    +repage "$output"
log "wrote $output"
click "$EXIT_X" "$BUTTON_Y"
wait_game_exit 10
