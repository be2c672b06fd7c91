#!/usr/bin/env bash
# The browser version's screenshots in docs/: the page (docs/web-page.png), the
# page on a phone-sized touch screen (docs/web-phone.png), and the rest scene of
# the desktop game and of the browser, taken at the same second, the desktop's
# above (docs/web-beside-desktop.png).
#
# Usage: tools/make_web_screenshots.sh [DESKTOP_BUILD] [WEB_BUILD]   (default build, build-web)
# Needs both builds, Xvfb, xdotool, jq, faketime, imagemagick and Chromium (./test
# makes and installs them); installs puppeteer-core into the browser build when
# missing.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DESKTOP=$(realpath "${1:-$ROOT/build}")
WEB=$(realpath "${2:-$ROOT/build-web}")
STAMP=1765108800
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

bash "$ROOT/harness/install_puppeteer.sh" "$WEB"
bash "$ROOT/harness/desktop_reference.sh" "$DESKTOP/run/fetch" "$DESKTOP/run" "$WORK/desktop" \
    "$DESKTOP/harness" "$STAMP" "$WORK/desktop.ppm"
NODE_PATH=$WEB/node/node_modules node "$ROOT/tools/make_web_screenshots.js" "$WEB/site" "$STAMP" \
    "$ROOT/docs/web-page.png" "$WORK/browser.png" "$ROOT/docs/web-phone.png"
# Desktop above, browser below, a white line between.
convert "$WORK/desktop.ppm" "$WORK/browser.png" -background white -gravity south -splice 0x6 -append \
    "$ROOT/docs/web-beside-desktop.png"
echo "wrote docs/web-page.png, docs/web-phone.png and docs/web-beside-desktop.png"
