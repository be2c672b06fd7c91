#!/usr/bin/env bash
# The browser version's frame time beside the desktop's, on this machine now:
# the rest scene in headless Chromium (software WebGL) and the same scene of
# the desktop game under Xvfb (Mesa's llvmpipe), one after the other, three
# rounds. The machine is shared, so only figures from the same run compare.
#
# Usage: tools/web_frame_time.sh [DESKTOP_BUILD] [WEB_BUILD]   (default build, build-web)
#   SECONDS_PER_RUN=N   seconds the browser counts frames (default 10)
# Needs both builds (./test makes them) and Xvfb, Chromium and puppeteer-core
# (./test installs them).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DESKTOP=$(realpath "${1:-$ROOT/build}")
WEB=$(realpath "${2:-$ROOT/build-web}")
SECONDS_PER_RUN=${SECONDS_PER_RUN:-10}

WORK=$(mktemp -d)
XVFB_PID=""
cleanup() {
    [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
# The benchmark's game plays no sound: OpenAL is pointed at an ALSA device that is not there.
printf '[general]\ndrivers=alsa\n[alsa]\ndevice=fetch-no-such-device\n' >"$WORK/alsoft.conf"
export ALSOFT_CONF=$WORK/alsoft.conf
Xvfb -displayfd 3 -screen 0 1280x1024x24 +extension GLX -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
XVFB_PID=$!
until grep -q '^[0-9]' "$WORK/display" 2>/dev/null; do
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "web_frame_time: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in 1 2 3; do
    desktop=$(DISPLAY=":$(cat "$WORK/display")" "$DESKTOP/frame_bench" --run-dir "$DESKTOP/run" \
        --scene rest --frames 30 | awk '$1 == "rest" { print $2 }')
    web=$(NODE_PATH=$WEB/node/node_modules node "$ROOT/tools/web_frame_time.js" "$WEB/site" "$SECONDS_PER_RUN")
    echo "round $round: desktop rest: $desktop ms/frame; $web"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
