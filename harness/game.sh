# The desktop game's harness, for the end-to-end tests and the tools that play
# the game (the README's pictures): source it with four arguments,
#
#   source "$ROOT/harness/game.sh" FETCH RUN_DIR WORK_DIR TOOLS_DIR
#
# the game executable, the folder that holds it and its images, a work folder
# (emptied first) and the folder of the harness's programs (picture_probe,
# make_test_bmp, wav_probe: build/harness, made by harness/CMakeLists.txt).
#
# The game runs on a private Xvfb (harness/xvfb.sh; Mesa's software renderer)
# in a copy of its images, so nothing touches the build's run folder; xdotool
# plays it, `xwd` takes screenshots and picture_probe measures them with
# tolerances, in the screen regions, with the colour tests and under the
# conditions of harness/regions.json.
# Waits poll a condition under a generous bound: on a small shared machine the
# software renderer may draw only a few frames per second.
#
# Window coordinates: pixels from the window's top-left corner; the window is
# 1000 x 500.

set -euo pipefail

HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HARNESS_DIR/xvfb.sh"

if [ $# -ne 4 ]; then
    echo "usage: bash $0 FETCH RUN_DIR WORK_DIR TOOLS_DIR" >&2
    exit 2
fi
E2E_FETCH=$(realpath "$1")
E2E_RUN_DIR=$(realpath "$2")
E2E_WORK=$3
E2E_TOOLS=$(realpath "$4")   # picture_probe, make_test_bmp, wav_probe
E2E_NAME=$(basename "$0" .sh)

E2E_GAME_DIR=$E2E_WORK/run   # the game's working folder: a copy of the images
E2E_LOG=$E2E_WORK/game.log   # the game's standard output and error
E2E_TITLE="My Second Window"
E2E_START=$SECONDS

GAME_PID=""
GAME_RC=""
WIN=""
WAIT_COUNT=0
E2E_WORK_MADE=0   # 1 once this run has made its work folder
WAIT_INTERVAL=0.5
# Every wait ends by this many seconds after the start, so that a test fails
# on its own, cleaning up, before ctest's timeout of 300 s. (A test that ctest
# gives longer raises it after sourcing this file.)
E2E_BUDGET=270

# --- reporting -------------------------------------------------------------------

note() {
    echo "[$E2E_NAME +$((SECONDS - E2E_START))s] $*" >&2
}

fail() {
    note "FAIL: $*"
    if [ -s "$E2E_LOG" ]; then
        note "the game's output (last 20 lines):"
        tail -n 20 "$E2E_LOG" | sed 's/^/    | /' >&2
    fi
    exit 1
}

# holds VALUE OP BOUND: the same comparison, quiet, as a condition for wait_for.
holds() {
    awk -v v="$1" -v b="$3" -v op="$2" 'BEGIN {
        ok = (op == "<") ? v < b : (op == "<=") ? v <= b : (op == ">") ? v > b : (op == ">=") ? v >= b : 0
        exit ok ? 0 : 1 }'
}

# --- set-up and clean-up ---------------------------------------------------------

cleanup() {
    local rc=$?
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null || true
        wait "$GAME_PID" 2>/dev/null || true
    fi
    xvfb_stop
    if [ "$rc" -eq 0 ]; then
        note "passed in $((SECONDS - E2E_START)) s"
    else
        keep_work_folder
    fi
}

# keep_work_folder: after a failure, moves the work folder (screenshots, the
# game's log) aside under a name with the time, which the next run of the test
# does not wipe, and says where it is.
keep_work_folder() {
    [ "$E2E_WORK_MADE" -eq 1 ] && [ -d "$E2E_WORK" ] || return 0
    local kept
    kept=$E2E_WORK.failed-$(date +%Y%m%d-%H%M%S)-$$
    if mv "$E2E_WORK" "$kept" 2>/dev/null; then
        E2E_WORK=$kept
        E2E_LOG=$kept/game.log
        note "kept the work folder of this failure: $kept"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for program in Xvfb xdotool xwd jq; do
    command -v "$program" >/dev/null ||
        fail "$program is not installed (the ./test script installs xvfb, xdotool, x11-apps and jq)"
done
[ -x "$E2E_FETCH" ] || fail "no game executable at $E2E_FETCH"
[ -x "$E2E_TOOLS/picture_probe" ] || fail "no picture_probe in $E2E_TOOLS"

rm -rf "$E2E_WORK"
mkdir -p "$E2E_GAME_DIR"
E2E_WORK_MADE=1
cp "$E2E_RUN_DIR"/*.bmp "$E2E_GAME_DIR"/
# The game plays no sound aloud (see no-sound.conf).
export ALSOFT_CONF=$HARNESS_DIR/no-sound.conf

# deadline_in SECONDS: the time (on $SECONDS) a wait of that length ends,
# within the test's budget.
deadline_in() {
    local deadline=$((SECONDS + $1)) last=$((E2E_START + E2E_BUDGET))
    echo $((deadline < last ? deadline : last))
}

# wait_for SECONDS DESCRIPTION COMMAND...: runs the command every WAIT_INTERVAL
# seconds (half a second unless the test changes it) until it succeeds; fails
# the test after SECONDS, or at once if the game has ended meanwhile. The
# screenshot that met the condition is kept as seenN.xwd.
wait_for() {
    local limit=$1 what=$2
    shift 2
    local deadline
    deadline=$(deadline_in "$limit")
    while ! "$@"; do
        if [ -n "$GAME_PID" ] && ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID" 2>/dev/null && GAME_RC=0 || GAME_RC=$?
            GAME_PID=""
            fail "the game ended (exit code $GAME_RC) while waiting for $what"
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            fail "no $what within $limit s"
        fi
        sleep "$WAIT_INTERVAL"
    done
    WAIT_COUNT=$((WAIT_COUNT + 1))
    # Keep the screenshot that met the condition, for a look after a failure.
    if [ -f "$E2E_WORK/latest.xwd" ]; then
        cp "$E2E_WORK/latest.xwd" "$E2E_WORK/seen$WAIT_COUNT.xwd"
    fi
    note "seen: $what"
}

# start_xvfb: a private X server (harness/xvfb.sh); sets DISPLAY.
start_xvfb() {
    local why=$E2E_WORK/xvfb.why rc=0
    xvfb_start "$E2E_WORK" 2>"$why" || rc=$?
    while read -r line; do note "$line"; done <"$why"
    [ "$rc" -eq 0 ] || fail "no Xvfb took clients"
    note "Xvfb on display $DISPLAY"
}

# use_clock START [RATE]: from now on start_game runs the game under faketime,
# its clock starting at START (UTC, "YYYY-MM-DD HH:MM:SS") and running at RATE
# times the real speed (the real speed unless given). The trees are planted
# from the clock's second at start-up, so a fixed START plants fixed trees.
use_clock() {
    local wrapper=$E2E_WORK/fetch-at-fixed-time
    command -v faketime >/dev/null || fail "faketime is not installed"
    E2E_UNCLOCKED=${E2E_UNCLOCKED:-$E2E_FETCH}
    {
        echo '#!/bin/sh'
        printf 'TZ=UTC exec faketime -f %q %q "$@"\n' "@$1${2:+ x$2}" "$E2E_UNCLOCKED"
    } >"$wrapper"
    chmod +x "$wrapper"
    E2E_FETCH=$wrapper
    note "the game's clock starts at $1 UTC${2:+, running at $2 times the real speed}"
}

# start_game: runs the game in its working folder, output to the log.
start_game() {
    : >"$E2E_LOG"
    (cd "$E2E_GAME_DIR" && exec "$E2E_FETCH" </dev/null >"$E2E_LOG" 2>&1) &
    GAME_PID=$!
    GAME_RC=""
    WIN=""
    note "game started (pid $GAME_PID)"
}

window_id() {
    WIN=$(xdotool search --onlyvisible --name "^$E2E_TITLE\$" 2>/dev/null | head -n 1) || true
    [ -n "$WIN" ]
}

# first_frame_drawn: the window shows a picture: neither the white clear colour
# nor the black of a window that no frame has reached yet.
first_frame_drawn() { on_screen probe_holds share "$WHOLE_WINDOW" "$DRAWN_PIXEL" '>' 0.5; }

# frame_changed_from REF: the window shows another frame than the screenshot REF.
frame_changed_from() { on_screen probe_holds changed "$WHOLE_WINDOW" 2 '>' 0.0005 "$1"; }

# wait_for_window: waits for the game's window and its first two drawn frames,
# then gives it the keyboard focus with the pointer resting in its centre. The
# first frame is not the one to compare with: the ground, which has no normal
# of its own, is lit there with the default normal and afterwards with the one
# that the previous frame's drawing left.
wait_for_window() {
    wait_for 120 "window titled \"$E2E_TITLE\"" window_id
    local size
    size=$(xdotool getwindowgeometry "$WIN" | awk '/Geometry/ {print $2}')
    [ "$size" = "1000x500" ] || fail "the window is $size, not 1000x500"
    wait_for 120 "first drawn frame" first_frame_drawn
    cp "$E2E_WORK/latest.xwd" "$E2E_WORK/first.xwd"
    wait_for 60 "a second drawn frame" frame_changed_from "$E2E_WORK/first.xwd"
    xdotool mousemove --window "$WIN" 500 250
    timeout 10 xdotool windowfocus --sync "$WIN" || fail "could not give the window the focus"
    note "window $WIN is up and drawing"
}

# meter_reaches SHOT LEVEL: in the screenshot, the meter's bar reaches LEVEL
# (0 to 1), measured where regions.json's "meter" says.
meter_reaches() {
    local row
    row=$(awk -v l="$2" -v zero="$METER_ZERO_ROW" -v per="$METER_ROWS_PER_LEVEL" -v above="$METER_ROWS_ABOVE_LEVEL" \
        'BEGIN { printf "%d", zero - l * per - above }')
    holds "$(mean_colour "$1" "$METER_COLUMN" "$row" "$METER_WIDTH" "$METER_HEIGHT" | awk '{print $3}')" '<' "$METER_BLUE_BELOW"
}

# meter_level SHOT: the meter's level in the screenshot, to within 0.005.
meter_level() {
    local low=0 high=1 mid i
    for ((i = 0; i < 8; ++i)); do
        mid=$(awk -v a="$low" -v b="$high" 'BEGIN { print (a + b) / 2 }')
        if meter_reaches "$1" "$mid"; then low=$mid; else high=$mid; fi
    done
    echo "$low"
}

# meter_moved_by LEVEL DELTA: the meter now stands DELTA or more away from
# LEVEL, so at least DELTA / 0.005 frames have been drawn since it stood there
# (it moves 0.005 a frame and turns at 0 and 1). Aiming mode only.
meter_moved_by() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(awk -v a="$(meter_level "$shot")" -v b="$1" 'BEGIN { d = a - b; print d < 0 ? -d : d }')" '>=' "$2"
}

# settled: 48 frames have been drawn since the start (the meter, which rises
# by 0.005 a frame, stands at 0.24 or more). A tree planted within the dog's
# reach of home is knocked over in the first frame and has fallen by then.
settled() {
    local shot
    shot=$(screenshot) || return 1
    meter_reaches "$shot" 0.24
}

# start_scene: Xvfb, the game and its first 48 frames, for the tests that play.
start_scene() {
    start_xvfb
    start_game
    wait_for_window
    wait_for 180 "the start-up settled (the meter at 0.24)" settled
}

game_ended() {
    [ -n "$GAME_PID" ] && ! kill -0 "$GAME_PID" 2>/dev/null
}

# wait_for_exit SECONDS: waits for the game to end; sets GAME_RC.
wait_for_exit() {
    local limit=$1 pid=$GAME_PID deadline
    [ -n "$pid" ] || fail "no game is running"
    GAME_PID=""   # the wait below must not count the end as unexpected
    deadline=$(deadline_in "$limit")
    while kill -0 "$pid" 2>/dev/null; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            GAME_PID=$pid
            fail "the game did not end within $limit s"
        fi
        sleep 0.2
    done
    wait "$pid" 2>/dev/null && GAME_RC=0 || GAME_RC=$?
    note "the game ended with exit code $GAME_RC"
}

# --- playing ---------------------------------------------------------------------

# press KEY...: key strokes, as typed, to the window (which has the focus).
press() {
    local key
    for key in "$@"; do
        xdotool key "$key"
        note "pressed '$key'"
    done
}

# point X Y: moves the pointer to a window position (a passive motion).
point() {
    xdotool mousemove --window "$WIN" "$1" "$2"
    note "pointer at ($1, $2)"
}

# click X Y: a left click at a window position.
click() {
    xdotool mousemove --window "$WIN" "$1" "$2" click 1
    note "left click at ($1, $2)"
}

# --- pictures --------------------------------------------------------------------

# screenshot [NAME]: grabs the window into NAME.xwd in the work folder (by
# default latest.xwd, which each poll overwrites) and prints its path.
screenshot() {
    local file=$E2E_WORK/${1:-latest}.xwd
    xwd -silent -id "$WIN" -out "$file" 2>/dev/null || return 1
    echo "$file"
}

# The probes of picture_probe, for a screenshot and a rectangle X Y W H:
mean_colour() { "$E2E_TOOLS/picture_probe" mean "$@"; }     # FILE X Y W H -> "r g b"
share_of() { "$E2E_TOOLS/picture_probe" share "$@"; }       # FILE X Y W H TEST -> 0..1
detail_of() { "$E2E_TOOLS/picture_probe" detail "$@"; }     # FILE X Y W H -> 0..1, texture steps
changed_share() { "$E2E_TOOLS/picture_probe" diff "$@"; }   # FILE1 FILE2 X Y W H TOL -> 0..1
steps_of() { "$E2E_TOOLS/picture_probe" steps "$@"; }       # FILE X Y W H TEST LEVEL -> over largest differing spread

# The tables of harness/regions.json, each entry under its name in capitals:
# regions as "X Y W H" for the probes (DOG_BODY, SKY_BAND, ...), colour tests
# as picture_probe reads them (SKY_PIXEL, GREEN_PIXEL, ...), conditions as
# arrays for `meets` (DOG_AWAY: share, region, colour test, comparison, bound;
# DOG_STILL: changed, region, tolerance, comparison, bound, seconds apart) and
# the meter's measuring points (METER_COLUMN, METER_ZERO_ROW, ...).
eval "$(jq -r '. as $t |
    (.regions | to_entries[] | "\(.key | ascii_upcase)=\(.value.rect | map(tostring) | join(" ") | @sh)"),
    (.colours | to_entries[] | "\(.key | ascii_upcase)_PIXEL=\(.value.test | @sh)"),
    (.conditions | to_entries[] | .key as $name | .value as $c |
        ($t.regions[$c.in].rect // error("\($name): no region \($c.in)") | map(tostring) | join(" ")) as $rect |
        "\($name | ascii_upcase)=(" + ([if $c.share then "share", $rect,
                                              ($t.colours[$c.share].test // error("\($name): no colour \($c.share)"))
                                          else "changed", $rect, $c.changed end,
                                          $c.op, $c.bound, ($c.seconds_apart // empty)]
                                       | map(tostring | @sh) | join(" ")) + ")"),
    (.meter | to_entries[] | select(.key != "what") | "METER_\(.key | ascii_upcase)=\(.value | tostring | @sh)")' \
    "$HARNESS_DIR/regions.json")"

# The second (UTC) whose trees stand clear of what the checks judge: a test
# that throws, walks or reads the picture runs `use_clock "$CLEAR_OF_TREES"`.
CLEAR_OF_TREES=$(jq -r '.clear_of_trees.utc' "$HARNESS_DIR/regions.json")

# probe_holds share|changed "X Y W H" TEST|TOLERANCE OP BOUND SHOT [SECOND_SHOT]:
# the share of the rectangle's pixels that pass the colour TEST in SHOT (share),
# or that change by more than TOLERANCE from SHOT to SECOND_SHOT (changed),
# compared with BOUND, e.g.
#   probe_holds share "$SKY_BAND" "$WHITE_PIXEL" '>' 0.5 "$shot"
probe_holds() {
    local kind=$1 rect=$2 test=$3 op=$4 bound=$5
    shift 5
    case $kind in
        share) holds "$(share_of "$1" $rect "$test")" "$op" "$bound" ;;
        changed) holds "$(changed_share "$1" "$2" $rect "$test")" "$op" "$bound" ;;
        *) fail "no probe $kind" ;;
    esac
}

# meets CONDITION SHOT [SECOND_SHOT]: the screenshot meets a condition of
# regions.json (DOG_AWAY, DOG_HOME), or the two screenshots do (DOG_STILL).
meets() {
    local -n condition=$1
    probe_holds "${condition[@]:0:5}" "${@:2}"
}

# on_screen CHECK ARGS...: runs CHECK ARGS... with a screenshot taken now as
# its last argument: a condition on the window as it is, for wait_for.
on_screen() {
    local shot
    shot=$(screenshot) || return 1
    "$@" "$shot"
}

# --- the dog and the meter --------------------------------------------------------

# meter_between LOW HIGH: the meter, which runs up and down by itself, stands
# between LOW and HIGH.
meter_between() {
    local shot
    shot=$(screenshot) || return 1
    meter_reaches "$shot" "$1" && ! meter_reaches "$shot" "$2"
}

# dog_away: the dog has left home: only ground where its legs stood.
dog_away() { on_screen meets DOG_AWAY; }

# dog_home_then CHECK ARGS...: the dog stands at home, and CHECK ARGS... FIRST
# SECOND holds on that screenshot and one taken a second (DOG_STILL's seconds
# apart) later.
dog_home_then() {
    local first second
    first=$(screenshot first) || return 1
    meets DOG_HOME "$first" || return 1
    sleep "${DOG_STILL[5]}"
    second=$(screenshot) || return 1
    "$@" "$first" "$second"
}

# dog_home_still: back home at rest after a throw: the dog stands where it
# stood, and stays still there for a second.
dog_home_still() { dog_home_then meets DOG_STILL; }
