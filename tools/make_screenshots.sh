#!/usr/bin/env bash
# Makes the desktop's screenshots in docs/, for the README and the guides:
# plays the game under Xvfb with the harness (harness/game.sh) and saves PNGs.
# The trees stand where the clock's seed puts them, so each run gives other
# pictures; run it again if a tree hides the view.
#
# Usage: tools/make_screenshots.sh [BUILD_DIR]     (default: build)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath "${1:-$ROOT/build}")
DOCS=$ROOT/docs

# ImageMagick turns the window dumps into PNGs.
source "$ROOT/scripts/setup.sh"
install_packages xvfb xdotool x11-apps jq imagemagick
CONVERT=/usr/bin/convert
cmake --build "$BUILD" --target harness_tools >/dev/null

WORK=$(mktemp -d)
source "$ROOT/harness/game.sh" "$BUILD/run/fetch" "$BUILD/run" "$WORK" "$BUILD/harness"
mkdir -p "$DOCS"

# save NAME: the window as docs/NAME.png.
save() {
    local shot
    shot=$(screenshot "$1")
    "$CONVERT" "xwd:$shot" -strip "$DOCS/$1.png"
    note "saved docs/$1.png"
}

start_scene
# The meter about two thirds full, rising.
meter_two_thirds() {
    local shot
    shot=$(screenshot) || return 1
    meter_reaches "$shot" 0.65
}
wait_for 120 "the meter two thirds full" meter_two_thirds
save rest

# A long throw to the left, away from the house: the bone climbs, the dog watches.
click 300 250
sleep 0.6
save throw

# The fetch takes about 200 ticks of 41 ms, longer on a busy machine; 'm' is
# ignored until it is over.
wait_for 120 "the dog gone from home" dog_away
wait_for 240 "the dog back home and at rest" dog_home_still
press m
point 250 40
sleep 2.5
point 500 250
sleep 0.5
save free-walk

# Home again, then walk into the house; as soon as its blast shows, go home to
# watch it from there.
press r
point 575 25
blast_in_sight() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(share_of "$shot" 250 30 500 220 "$FIERY_PIXEL")" '>' 0.04
}
WAIT_INTERVAL=0.1
wait_for 120 "the blast in sight" blast_in_sight
press m
sleep 0.3
save house-blast

# The closing scene: the car slides in from the right.
press r
sleep 0.5
press q
sleep 0.35
save closing
wait_for_exit 60
note "screenshots in $DOCS"
