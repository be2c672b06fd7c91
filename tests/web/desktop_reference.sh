#!/usr/bin/env bash
# The desktop game's rest scene with its clock started at a given second, for
# the browser build to be compared with (the same second plants the same trees).
#
#   bash desktop_reference.sh FETCH RUN_DIR WORK_DIR E2E_TOOL STAMP OUT.ppm
#
# Runs the desktop game under Xvfb with the end-to-end harness, its clock set
# by faketime to STAMP (seconds since 1970, UTC), waits until the start-up has
# settled, and writes the window as a binary PPM.
set -euo pipefail
STAMP=$5
OUT=$6
source "$(dirname "$0")/../e2e/lib.sh" "$1" "$2" "$3" "$4"

command -v faketime >/dev/null || fail "faketime is not installed"
command -v convert >/dev/null || fail "convert (imagemagick) is not installed"

# As the harness starts the game, but with the clock set.
start_game() {
    : >"$E2E_LOG"
    (cd "$E2E_GAME_DIR" && TZ=UTC exec faketime -f "@$(date -u -d "@$STAMP" '+%Y-%m-%d %H:%M:%S')" \
        "$E2E_FETCH" </dev/null >"$E2E_LOG" 2>&1) &
    GAME_PID=$!
    GAME_RC=""
    WIN=""
    note "game started under faketime at $STAMP (pid $GAME_PID)"
}

start_scene
shot=$(screenshot rest)
convert "xwd:$shot" "ppm:$OUT"
note "desktop rest scene written to $OUT"
