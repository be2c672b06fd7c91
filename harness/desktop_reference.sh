#!/usr/bin/env bash
# The desktop game's rest scene with its clock started at a given second, for
# the browser build to be compared with (the same second plants the same trees).
#
#   bash harness/desktop_reference.sh FETCH RUN_DIR WORK_DIR TOOLS_DIR STAMP OUT.ppm
#
# Runs the desktop game under Xvfb with the harness, its clock set by faketime
# to STAMP (seconds since 1970, UTC), waits until the start-up has settled, and
# writes the window as a binary PPM. The browser tests and
# tools/make_web_screenshots.sh use it.
set -euo pipefail
STAMP=$5
OUT=$6
source "$(dirname "${BASH_SOURCE[0]}")/game.sh" "$1" "$2" "$3" "$4"

command -v convert >/dev/null || fail "convert (imagemagick) is not installed"

use_clock "$(date -u -d "@$STAMP" '+%Y-%m-%d %H:%M:%S')"
start_scene
shot=$(screenshot rest)
convert "xwd:$shot" "ppm:$OUT"
note "desktop rest scene written to $OUT"
