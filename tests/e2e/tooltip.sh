#!/bin/bash
# Resting the pointer on a toolbar button shows its hint after 500 ms for
# 2500 ms. Checked with margins for a busy machine: none at 200 ms, one at
# 1200 ms, none at 4000 ms.
source "$(dirname "$0")/lib.sh" "$@"

open_race_screen
focus "$MAIN_WINDOW"

for button in "$RETRY_X" "$RANKING_X"; do
    point 300 100            # the bare sky shows no hint
    sleep 0.8
    [[ -z $(tooltips) ]] || fail "a tooltip over the sky"
    point "$button" "$BUTTON_Y"
    T0=$(date +%s%N)
    at 200
    [[ -z $(tooltips) ]] || fail "button at x $button: tooltip already at 200 ms"
    at 1200
    [[ -n $(tooltips) ]] || fail "button at x $button: no tooltip at 1200 ms"
    at 4000
    [[ -z $(tooltips) ]] || fail "button at x $button: tooltip still there at 4000 ms"
    log "button at x $button: hint shown and gone"
done
exit_by_button
log "pass"
