#!/usr/bin/env bash
# The browser version's frame time beside the desktop's, on this machine now:
# the rest scene in headless Chromium (software WebGL) and the same scene of
# the desktop game under Xvfb (Mesa's llvmpipe), one after the other, three
# rounds. The machine is shared, so only figures from the same run compare.
#
# Usage: tools/web_frame_time.sh [DESKTOP_BUILD] [WEB_BUILD]   (default build, build-web)
#   SECONDS_PER_RUN=N   seconds the browser counts frames (default 10)
# Needs both builds (./test makes them) and Xvfb, xdotool and Chromium (./test
# installs them); installs puppeteer-core into the browser build when missing.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DESKTOP=$(realpath "${1:-$ROOT/build}")
WEB=$(realpath "${2:-$ROOT/build-web}")
SECONDS_PER_RUN=${SECONDS_PER_RUN:-10}

bash "$ROOT/harness/install_puppeteer.sh" "$WEB"

# One private X server for the desktop's three rounds.
source "$ROOT/harness/xvfb.sh"
WORK=$(mktemp -d)
# The benchmark's game plays no sound (see harness/no-sound.conf).
export ALSOFT_CONF=$ROOT/harness/no-sound.conf
trap 'xvfb_stop; rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM
xvfb_start "$WORK" || exit 1

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in 1 2 3; do
    desktop=$("$DESKTOP/frame_bench" --run-dir "$DESKTOP/run" \
        --scene rest --frames 30 | awk '$1 == "rest" { print $2 }')
    web=$(NODE_PATH=$WEB/node/node_modules node "$ROOT/tools/web_frame_time.js" "$WEB/site" "$SECONDS_PER_RUN")
    echo "round $round: desktop rest: $desktop ms/frame; $web"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
