#!/usr/bin/env bash
# Makes the README's moving picture, docs/fetch.gif: one throw and fetch, from
# a moment before the click to the dog resting at home again, recorded from the
# real game. The harness (harness/game.sh) starts the game under Xvfb and
# plays it; ffmpeg records the window with its x11grab device and
# turns the recording into a looping GIF with one shared palette.
#
# The trees are planted from the clock's second at start-up, so the game runs
# under faketime, its clock starting at 2026-12-07 12:00:17 UTC: that second's
# trees (and the next second's, should start-up take longer) leave the throw in
# clear view, with one tree far off on the left and the house and the others on
# the right. The bone goes to the left, away from the house, as far as the
# meter says when it stands between 0.15 and 0.30.
#
# The pace: the game moves most things by a step per frame, and a tick of the
# throw waits for the frame in progress, so on a busy machine everything moves
# slower. The tool first counts the frames the game draws in a second. When
# that is below TARGET_FPS, what the idle development machine draws (the
# desktop benchmark in docs/speed.md), the game's clock (through faketime)
# runs slower by the same factor, so that in the game's own time it draws
# about TARGET_FPS frames a second, and the recording is played back faster
# by that factor. The picture then shows the pace of the idle machine,
# whatever else the machine is doing, as long as its load stays the same: the
# tool reports the frames the game drew during the throw; if they are far from
# TARGET_FPS, run it again.
#
# Usage: tools/make_animation.sh [BUILD_DIR]     (default: build)
# Installs what it needs when missing: xvfb, xdotool, x11-apps, jq, faketime, ffmpeg.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/setup.sh"
BUILD=$(realpath -m "${1:-$ROOT/build}")
OUT=$ROOT/docs/fetch.gif

FAKE_START="2026-12-07 12:00:17"   # UTC
TARGET_FPS=34                      # frames a second at rest on the idle development machine
FPS=20                             # frames a second of the GIF: 5/100 s each
LEAD=0.6                           # seconds of rest kept before the click
CLICK_COLUMN=400                   # left of the centre: the bone flies to the left

install_packages xvfb xdotool x11-apps jq faketime ffmpeg
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" --target harness_tools >/dev/null

WORK=$(mktemp -d)
source "$ROOT/harness/game.sh" "$BUILD/run/fetch" "$BUILD/run" "$WORK" "$BUILD/harness"
E2E_BUDGET=900   # no test runner's timeout to stay under; a slowed game takes longer

# window_geometry: sets X, Y, WIDTH and HEIGHT to the window's place on the screen.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
}

# frames_per_second: the frames the game draws in a second, counted for five
# seconds on a thin strip of the meter, which changes with every frame.
frames_per_second() {
    local strip=$E2E_WORK/meter-strip.md5
    window_geometry
    ffmpeg -nostdin -loglevel error -y -f x11grab -draw_mouse 0 -framerate 60 -video_size 4x240 \
        -i "$DISPLAY+$((X + 870)),$((Y + 55))" -t 5 -f framemd5 "$strip"
    awk -F, '!/^#/ { if ($6 != last) changes++; last = $6 } END { printf "%.1f", changes / 5 }' "$strip"
}

use_clock "$FAKE_START" 1
start_scene

# Record the window (no pointer drawn) losslessly until told to stop; the
# recording ends by itself after fifteen minutes, or when Xvfb goes. Its progress
# lines say how far it has got, which dates its start. It runs from here on, so
# that the frames are counted with its load, and records on if the game is
# restarted below with a slower clock.
RECORDING=$E2E_WORK/recording.mkv
PROGRESS=$E2E_WORK/recording.progress
window_geometry
ffmpeg -nostdin -loglevel error -progress "$PROGRESS" -stats_period 0.1 \
    -f x11grab -draw_mouse 0 -framerate "$FPS" -video_size "${WIDTH}x$HEIGHT" -i "$DISPLAY+$X,$Y" \
    -t 900 -c:v libx264rgb -preset ultrafast -tune zerolatency -qp 0 "$RECORDING" &
RECORDER_PID=$!
recordStart=""
recording() {
    local recorded
    recorded=$(sed -n 's/^out_time_us=\([0-9][0-9]*\)$/\1/p' "$PROGRESS" 2>/dev/null | tail -n 1)
    [ -n "$recorded" ] && [ "$recorded" -gt 0 ] || return 1
    recordStart=$(awk -v now="$EPOCHREALTIME" -v us="$recorded" 'BEGIN { printf "%.3f", now - us / 1e6 }')
}
WAIT_INTERVAL=0.1
wait_for 30 "the recording under way" recording
WAIT_INTERVAL=0.5

fps=$(frames_per_second)
rate=$(awk -v f="$fps" -v t="$TARGET_FPS" 'BEGIN { r = f / t; printf "%.3f", (r >= 0.8 ? 1 : r) }')
note "the game draws $fps frames a second: its clock runs at $rate times the real speed"
if [ "$rate" != "1" ]; then
    press q
    wait_for_exit 60
    use_clock "$FAKE_START" "$rate"
    start_game
    wait_for_window
    wait_for 300 "the start-up settled (the meter at 0.24)" settled
fi

wait_for 300 "the meter between 0.15 and 0.30" meter_between 0.15 0.30
clickTime=$EPOCHREALTIME
click "$CLICK_COLUMN" 250
WAIT_INTERVAL=1   # fewer screenshots, more frames for the game
wait_for 300 "the dog gone from home" dog_away
wait_for 300 "the dog back home and at rest" dog_home_still
endTime=$EPOCHREALTIME
kill -TERM "$RECORDER_PID"
wait "$RECORDER_PID" || true

# From LEAD seconds of the game's clock before the click to the moment the dog
# was seen at rest, in real seconds of the recording, then played back at the
# game's pace.
from=$(awk -v c="$clickTime" -v s="$recordStart" -v l="$LEAD" -v r="$rate" \
    'BEGIN { f = c - s - l / r; printf "%.2f", (f > 0 ? f : 0) }')
span=$(awk -v e="$endTime" -v c="$clickTime" -v l="$LEAD" -v r="$rate" 'BEGIN { printf "%.2f", e - c + l / r }')
seconds=$(awk -v s="$span" -v r="$rate" 'BEGIN { printf "%.1f", s * r }')
note "encoding $span s from $from s into the recording: $seconds s at the game's pace"

# One palette for the whole picture, so that what stands still keeps the same
# colours from frame to frame and each frame stores only what moved; an
# ordered dither does not crawl.
ffmpeg -nostdin -loglevel error -y -ss "$from" -t "$span" -i "$RECORDING" \
    -filter_complex "setpts=PTS*$rate,fps=$FPS,split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse=dither=bayer:bayer_scale=3:diff_mode=rectangle" \
    -loop 0 "$OUT"
note "saved docs/$(basename "$OUT"): $seconds s, $(du -k "$OUT" | cut -f1) KB"

# The frames a second of its clock the game drew during the throw: the distinct
# pictures of the meter's strip in the recording, which shows FPS / rate at most.
drawn=$(ffmpeg -nostdin -loglevel error -ss "$from" -t "$span" -i "$RECORDING" -vf "crop=4:240:870:55" \
    -f framemd5 - | awk -F, -v s="$seconds" '!/^#/ { if ($6 != last) changes++; last = $6 }
                                             END { printf "%.0f", changes / s }')
most=$(awk -v f="$FPS" -v r="$rate" 'BEGIN { printf "%.0f", f / r }')
note "during the throw the game drew $drawn frames a second of its clock" \
    "(the aim: $TARGET_FPS; the recording can show up to $most)"
rm -rf "$WORK"
