# The end-to-end tests' own helpers, on top of the harness that they share with
# the tools (game.sh: Xvfb, the game, waits, screenshots, probes, the screen
# regions, colour tests and conditions): checks of measured numbers and of the
# game's output, the free walk and the house, and the sanitizer build's runs.
# Source it from a test script with the script's own arguments,
#
#   source "$(dirname "$0")/../../harness/e2e.sh" "$@"
#
# which are: the game executable, the folder that holds it and its images, a
# work folder for this test (emptied first) and the folder of the harness's
# programs.

set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/game.sh" "$@"

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
mapfile -t IMAGES < <(jq -r '.images[].file' "$HARNESS_DIR/../src/textures/images.json")
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
meter_changed_from() { on_screen probe_holds changed "$METER" 40 '>' 0.3 "$1"; }

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

beyond_the_world() { on_screen probe_holds share "$SKY_BAND" "$WHITE_PIXEL" '>' 0.5; }

# home_view_as REF: the camera and the dog are home: the ground in front as in
# the screenshot REF (taken at home) and the dog standing at home.
home_view_as() { on_screen home_view_in "$1"; }
home_view_in() {   # home_view_in REF SHOT
    probe_holds changed "$GROUND_NEAR" 8 '<' 0.03 "$1" "$2" && meets DOG_HOME "$2"
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

# --- the long play-throughs under the sanitizers -----------------------------------

# When the game is built with AddressSanitizer and UndefinedBehaviorSanitizer
# (-DFETCH_SANITIZE=ON), use_sanitizer_options runs it through a small wrapper
# that sets their options for the game alone (Xvfb, xdotool and xwd run without
# them), so that any report ends the game with a non-zero exit code; and
# expect_no_sanitizer_report checks the game's log for reports.

SANITIZED=0

# The Mesa driver that draws under Xvfb (its software renderer), or nothing.
mesa_driver() {
    local dir
    for dir in ${LIBGL_DRIVERS_PATH:+${LIBGL_DRIVERS_PATH//:/ }} /usr/lib/"$(uname -m)"-linux-gnu/dri /usr/lib64/dri /usr/lib/dri; do
        if [ -f "$dir/swrast_dri.so" ]; then
            echo "$dir/swrast_dri.so"
            return 0
        fi
    done
    return 1
}

# use_sanitizer_options: when the game carries the sanitizers, start it from now
# on through a wrapper with their options.
#
# Leaks: the game ends through exit(0) while GLUT, GLX and Mesa still hold their
# allocations, and LeakSanitizer, which checks at exit, would report those.
# lsan.supp names the libraries whose own allocations are not ours to free. One
# catch: by the time the leak check runs, GLX has unloaded Mesa's driver, so
# the driver's allocations come from an unknown module that no suppression can
# name. Loading the driver at start-up as well (LD_PRELOAD) keeps it mapped to
# the end. The sanitizer runtime must come first in the preload list when it is
# a shared library (GCC's default). Without the driver file, leak detection is
# switched off rather than failing on allocations that are not ours.
use_sanitizer_options() {
    local game=${E2E_UNCLOCKED:-$E2E_FETCH}  # the game itself, under a fixed clock too
    if ! grep -q -e __asan_init -e __ubsan_handle "$game"; then
        note "the game is built without sanitizers"
        return 0
    fi
    SANITIZED=1
    local leaks=1 preload="" runtime driver
    runtime=$(ldd "$game" | awk '/libasan\.so/ {print $3; exit}')
    if driver=$(mesa_driver); then
        preload="${runtime:+$runtime }$driver"
    else
        leaks=0
        note "no swrast_dri.so found: leak detection off (the driver's leaks could not be told apart)"
    fi
    local wrapper=$E2E_WORK/fetch-sanitized
    {
        echo '#!/usr/bin/env bash'
        printf 'export ASAN_OPTIONS=%q\n' \
            "halt_on_error=1:abort_on_error=0:exitcode=66:detect_leaks=$leaks:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
        printf 'export LSAN_OPTIONS=%q\n' "suppressions=$HARNESS_DIR/lsan.supp:print_suppressions=0:exitcode=66"
        printf 'export UBSAN_OPTIONS=%q\n' "halt_on_error=1:print_stacktrace=1:exitcode=66"
        if [ -n "$preload" ]; then
            printf 'export LD_PRELOAD=%q\n' "$preload"
        fi
        printf 'exec %q "$@"\n' "$E2E_FETCH"
    } >"$wrapper"
    chmod +x "$wrapper"
    E2E_FETCH=$wrapper
    note "the game carries sanitizers: run with their options (leak detection $([ "$leaks" -eq 1 ] && echo on || echo off))"
}

# expect_no_sanitizer_report: the game's log holds no sanitizer report.
expect_no_sanitizer_report() {
    local pattern='ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|UndefinedBehaviorSanitizer|WARNING: AddressSanitizer'
    if grep -qE "$pattern" "$E2E_LOG"; then
        note "sanitizer report in the game's log:"
        grep -m 1 -A 60 -E "$pattern" "$E2E_LOG" | sed 's/^/    | /' >&2
        fail "a sanitizer reported a fault (full log: $E2E_LOG)"
    fi
    if [ "$SANITIZED" -eq 1 ]; then
        note "ok: no sanitizer report in the game's log"
    fi
}

# expect_clean_exit: the game ended with exit code 0, printed the twelve
# start-up lines and nothing else, and no sanitizer spoke.
expect_clean_exit() {
    expect_no_sanitizer_report
    [ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC, wanted 0"
    local expected
    mapfile -t expected < <(load_lines)
    expect_output "${expected[@]}"
}
