# The end-to-end tests' own helpers, on top of the harness that they share with
# the tools (harness/game.sh: Xvfb, the game, waits, screenshots, probes, the
# screen regions and colour tests). Source it from a test script with the
# script's own arguments,
#
#   source "$(dirname "$0")/lib.sh" "$@"
#
# which are: the game executable, the folder that holds it and its images, a
# work folder for this test (emptied first) and the e2e_tool program.

set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../harness/game.sh" "$@"

# expect DESCRIPTION VALUE OP BOUND: checks a measured number, e.g.
#   expect "the dog's region changed" "$share" '>' 0.3
expect() {
    local what=$1 value=$2 op=$3 bound=$4
    if holds "$value" "$op" "$bound"; then
        note "ok: $what ($value $op $bound)"
    else
        fail "$what: measured $value, wanted $op $bound"
    fi
}

# expect_output LINE...: the game's output is exactly these lines, in order.
expect_output() {
    local expected
    expected=$(printf '%s\n' "$@")
    if [ "$(cat "$E2E_LOG")" != "$expected" ]; then
        note "expected output:"
        printf '%s\n' "$@" | sed 's/^/    | /' >&2
        fail "the game's output differs (shown above the expected lines)"
    fi
    note "ok: the output is the expected $# lines"
}

# The twelve start-up lines, and the first N of them, from the game's image table.
command -v jq >/dev/null || fail "jq is not installed (the ./test script installs it)"
mapfile -t IMAGES < <(jq -r '.images[].file' "$(dirname "${BASH_SOURCE[0]}")/../../src/textures/images.json")
[ ${#IMAGES[@]} -gt 0 ] || fail "cannot read the image table"
load_lines() {
    local count=${1:-${#IMAGES[@]}} i
    for ((i = 0; i < count; ++i)); do
        echo "trying to load ${IMAGES[i]}"
    done
}

# start_up_stops_at COUNT MESSAGE: the game, started, prints the first COUNT
# load lines and MESSAGE, and ends with exit code 1.
start_up_stops_at() {
    start_xvfb
    start_game
    wait_for_exit 60
    [ "$GAME_RC" -eq 1 ] || fail "exit code $GAME_RC, wanted 1"
    local expected
    mapfile -t expected < <(load_lines "$1")
    expect_output "${expected[@]}" "$2"
}

# --- free walk and the house ------------------------------------------------------

# meter_changed_from REF: the meter's place differs from the screenshot REF: the
# meter went (free walk) or came back (aiming).
meter_changed_from() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(changed_share "$1" "$shot" $METER 40)" '>' 0.3
}

# walk_into_house: in free walk from home, heads the dog for the house at
# (5, -15) and on beyond the world: the pointer at (575, 25) gives the heading
# 161.4 degrees. The dog enters the house's hit box on its 24th step, and the
# blast is over 60 frames later; the eye, 11 behind the dog, leaves the sky's
# sphere (radius 84.9) on about the 190th step. So the wait ends on the one
# sight that nothing in the world can give, the clear white where the sky was,
# and by then the house has surely been hit and blown away. Nothing earlier
# would do: a tree that the dog knocks over falls towards the following camera
# and its crown or its fiery burst can fill the view before the house is
# reached, and the blast's own picture dresses in the same explosion texture.
walk_into_house() {
    point 575 25
    wait_for 180 "the dog beyond the world (white where the sky was)" beyond_the_world
}

beyond_the_world() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(share_of "$shot" $SKY_BAND "$WHITE_PIXEL")" '>' 0.5
}

# home_view_as REF: the camera and the dog are home: the ground in front as in
# the screenshot REF (taken at home) and the dog standing at home.
home_view_as() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(changed_share "$1" "$shot" $GROUND_NEAR 8)" '<' 0.03 &&
        holds "$(share_of "$shot" $DOG_STAND "$GREEN_PIXEL")" '<' 0.4
}

# house_gone: from the home view, no brick is left anywhere and the ground by
# the house is still. (The dog, whose darker fur can look like brick, stands
# between columns 445 and 555. A tree's burst far off can hide the house for a
# while, but not keep still: its sphere swells and fades.)
house_gone() {
    local first second
    first=$(screenshot first) || return 1
    holds "$(share_of "$first" 0 0 440 500 "$BRICK_PIXEL")" '<' 0.0005 &&
        holds "$(share_of "$first" 560 0 440 500 "$BRICK_PIXEL")" '<' 0.0005 || return 1
    sleep 1
    second=$(screenshot) || return 1
    holds "$(changed_share "$first" "$second" 560 266 290 50 8)" '<' 0.01
}
