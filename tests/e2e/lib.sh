# Shared helpers of the end-to-end tests: source it from a test script with the
# script's own arguments,
#
#   source "$(dirname "$0")/lib.sh" "$@"
#
# which are: the game executable, the folder that holds it and its images, a
# work folder for this test (emptied first) and the e2e_tool program.
#
# The game runs on a private Xvfb (Mesa's software renderer) in a copy of its
# images, so tests never touch the build's run folder; xdotool plays it, `xwd`
# takes screenshots and e2e_tool probes them with tolerances. Waits poll a
# condition under a generous bound: on a small shared machine the software
# renderer may draw only a few frames per second.
#
# Window coordinates: pixels from the window's top-left corner; the window is
# 1000 x 500.

set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: bash $0 FETCH RUN_DIR WORK_DIR E2E_TOOL" >&2
    exit 2
fi
E2E_FETCH=$(realpath "$1")
E2E_RUN_DIR=$(realpath "$2")
E2E_WORK=$3
E2E_TOOL=$(realpath "$4")
E2E_NAME=$(basename "$0" .sh)

E2E_GAME_DIR=$E2E_WORK/run   # the game's working folder: a copy of the images
E2E_LOG=$E2E_WORK/game.log   # the game's standard output and error
E2E_TITLE="My Second Window"
E2E_START=$SECONDS

XVFB_PID=""
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

# expect DESCRIPTION VALUE OP BOUND: checks a measured number, e.g.
#   expect "the dog's region changed" "$share" '>' 0.3
expect() {
    local what=$1 value=$2 op=$3 bound=$4
    if awk -v v="$value" -v b="$bound" -v op="$op" 'BEGIN {
            ok = (op == "<") ? v < b : (op == "<=") ? v <= b : (op == ">") ? v > b : (op == ">=") ? v >= b : 0
            exit ok ? 0 : 1 }'; then
        note "ok: $what ($value $op $bound)"
    else
        fail "$what: measured $value, wanted $op $bound"
    fi
}

# holds VALUE OP BOUND: the same comparison, quiet, as a condition for wait_for.
holds() {
    awk -v v="$1" -v b="$3" -v op="$2" 'BEGIN {
        ok = (op == "<") ? v < b : (op == "<=") ? v <= b : (op == ">") ? v > b : (op == ">=") ? v >= b : 0
        exit ok ? 0 : 1 }'
}

# --- set-up and clean-up ---------------------------------------------------------

# stop_xvfb: ends our Xvfb, if it runs.
stop_xvfb() {
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    XVFB_PID=""
}

cleanup() {
    local rc=$?
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null || true
        wait "$GAME_PID" 2>/dev/null || true
    fi
    stop_xvfb
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

for program in Xvfb xdotool xwd; do
    command -v "$program" >/dev/null ||
        fail "$program is not installed (the ./test script installs xvfb, xdotool and x11-apps)"
done
[ -x "$E2E_FETCH" ] || fail "no game executable at $E2E_FETCH"
[ -x "$E2E_TOOL" ] || fail "no e2e_tool at $E2E_TOOL"

rm -rf "$E2E_WORK"
mkdir -p "$E2E_GAME_DIR"
E2E_WORK_MADE=1
cp "$E2E_RUN_DIR"/*.bmp "$E2E_GAME_DIR"/

# The game's sound goes nowhere: OpenAL Soft's configuration names an ALSA
# device that does not exist, so no test or tool plays aloud, and the game must
# quiet the libraries' complaints about it (the console the tests compare).
printf '[general]\ndrivers=alsa\n[alsa]\ndevice=fetch-no-such-device\n' >"$E2E_WORK/alsoft.conf"
export ALSOFT_CONF=$E2E_WORK/alsoft.conf

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

# start_xvfb: a private X server on a free display (Xvfb picks it and reports
# it on a descriptor); sets DISPLAY. The server must not reset when its last
# client leaves (-noreset): a game started while it resets, as after an earlier
# game or a probe has gone, fails to open the display now and then. A server
# that reports its display but takes no client is replaced, up to three times.
start_xvfb() {
    local attempt
    for attempt in 1 2 3; do
        if launch_xvfb; then
            note "Xvfb on display $DISPLAY"
            return 0
        fi
        note "Xvfb (attempt $attempt) does not take clients: $(tail -n 2 "$E2E_WORK/xvfb.log" | tr '\n' ' ')"
        stop_xvfb
    done
    fail "no Xvfb took clients in three attempts"
}

# launch_xvfb: starts Xvfb and waits until it names its display and answers a
# client there; fails (status 1) if it ends or stays silent.
launch_xvfb() {
    local displayFile=$E2E_WORK/xvfb.display
    : >"$displayFile"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 +extension GLX -nolisten tcp -noreset \
        3>"$displayFile" >"$E2E_WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local deadline=$((SECONDS + 60))
    until grep -q '^[0-9][0-9]*$' "$displayFile"; do
        kill -0 "$XVFB_PID" 2>/dev/null || return 1
        [ "$SECONDS" -lt "$deadline" ] || fail "Xvfb reported no display within 60 s"
        sleep 0.1
    done
    export DISPLAY=":$(cat "$displayFile")"
    deadline=$((SECONDS + 30))
    until timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1; do
        kill -0 "$XVFB_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
    kill -0 "$XVFB_PID" 2>/dev/null
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
first_frame_drawn() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(share_of "$shot" 0 0 1000 500 "$DRAWN_PIXEL")" '>' 0.5
}

# frame_changed_from REF: the window shows another frame than the screenshot REF.
frame_changed_from() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(changed_share "$1" "$shot" 0 0 1000 500 2)" '>' 0.0005
}

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
# (0 to 1). Below the level the bar is yellow to green, with little blue; above
# it a translucent pink cover lets the blue of the sky (or a tree's green)
# through. Column 872 misses the scale lines.
meter_reaches() {
    local row
    row=$(awk -v l="$2" 'BEGIN { printf "%d", 298.7 - l * 243.7 - 2 }')
    holds "$(mean_colour "$1" 872 "$row" 6 4 | awk '{print $3}')" '<' 70
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

# The twelve start-up lines, and the first N of them.
IMAGES=(dog1.bmp dog2.bmp dog3.bmp dog4.bmp dog5.bmp brick1.bmp leaf1.bmp bark1.bmp
        cloud1.bmp explosion.bmp car.bmp blank.bmp)
load_lines() {
    local count=${1:-${#IMAGES[@]}} i
    for ((i = 0; i < count; ++i)); do
        echo "trying to load ${IMAGES[i]}"
    done
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

# The probes of e2e_tool, for a screenshot and a rectangle X Y W H:
mean_colour() { "$E2E_TOOL" mean "$@"; }     # FILE X Y W H -> "r g b"
share_of() { "$E2E_TOOL" share "$@"; }       # FILE X Y W H PRED -> 0..1
detail_of() { "$E2E_TOOL" detail "$@"; }     # FILE X Y W H -> 0..1, texture steps
changed_share() { "$E2E_TOOL" diff "$@"; }   # FILE1 FILE2 X Y W H TOL -> 0..1

# Colour classes, as e2e_tool predicates.
SKY_PIXEL='b>r+15,b>=g,min>60'          # blue sky or bluish cloud, not the clear white
WHITE_PIXEL='min>=250'                   # the clear colour
DRAWN_PIXEL='max>=24,min<245'            # neither white nor the black of an undrawn window
GREEN_PIXEL='g>r+10,g>b+10'              # grass-tinted ground (and leaves)
BRICK_PIXEL='r>g+20,r<110,g<20,b<20'     # the house's dark red brick (not the shade of a trunk)
FIERY_PIXEL='r>140,r>b+70,r>=g'          # the orange of a blast (and of the dog's fur)

# Places in the window of the home view (eye (0, 2, 1) looking along -z, the world
# drawn 10 further on, 50 degree vertical field of view, aspect 2), as X Y W H.
# The dog's body, about 1 above the ground at depth 11, centred near (500, 299)
# with a radius of about 24 pixels:
DOG_BODY="482 298 36 27"
# The dog standing, body to paws (rows 285 to 350):
DOG_STAND="482 285 36 65"
# Its legs and paws (rows 320 to 350): only ground lies behind them, for no
# tree may stand that close to home.
DOG_LEGS="482 320 36 30"
# The house at (5, -15), 5 wide and 7.5 high at depth 25: columns 553 to 660,
# rows 132 (the ridge) to 293 (the ground line):
HOUSE="545 125 130 170"
# The meter, right of the dog from 1 to 6 above the ground at depth 11:
METER="855 50 70 255"
# The ground in front of the dog, and the sky above the horizon (row 265):
GROUND_NEAR="0 370 1000 130"
SKY_BAND="0 5 1000 100"
# The sky right of the centre, clear of the meter. A tree near the eye can hide
# most of the sky band, but only from the left: on the right, trees near the
# eye are out of sight (the clear ground around home keeps them to the side).
# Some sky still shows there, and without the sky the band is white.
SKY_RIGHT="500 5 350 100"

# --- free walk ---------------------------------------------------------------------

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

# dog_home_still: back home at rest after a throw: the dog stands where it
# stood, and stays still there for a second.
dog_home_still() {
    local first second
    first=$(screenshot first) || return 1
    holds "$(share_of "$first" $DOG_STAND "$GREEN_PIXEL")" '<' 0.4 || return 1
    sleep 1
    second=$(screenshot) || return 1
    holds "$(changed_share "$first" "$second" $DOG_STAND 40)" '<' 0.1
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
