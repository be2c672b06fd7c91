#!/usr/bin/env bash
# The browser build's end-to-end tests in headless Chromium, beside a desktop
# run for the picture comparison.
#
#   bash tests/web/run_browser_tests.sh WEB_BUILD_DIR DESKTOP_BUILD_DIR
#
# Installs puppeteer-core (harness/install_puppeteer.sh) into
# WEB_BUILD_DIR/node, takes the desktop's rest scene at a fixed second
# (harness/desktop_reference.sh), then runs tests/web/browser/run_tests.js
# and sound_check.js against WEB_BUILD_DIR/site, and
# tests/web/browser/shader_lighting.js against the check page it builds.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
HARNESS=$(cd "$HERE/../../harness" && pwd)
WEB=$(realpath "$1")
DESKTOP=$(realpath "$2")
WORK=$WEB/browser-tests
STAMP=1765108800   # 2025-12-07 12:00:00 UTC: any fixed second will do

mkdir -p "$WORK"
bash "$HARNESS/install_puppeteer.sh" "$WEB"

bash "$HARNESS/desktop_reference.sh" "$DESKTOP/run/fetch" "$DESKTOP/run" "$WORK/desktop" \
    "$DESKTOP/tests/e2e_tool" "$STAMP" "$WORK/desktop-rest.ppm"
status=0
NODE_PATH=$WEB/node/node_modules node "$HERE/browser/run_tests.js" "$WEB/site" "$WORK" "$WORK/desktop-rest.ppm" "$STAMP" ||
    status=1
NODE_PATH=$WEB/node/node_modules node "$HERE/browser/sound_check.js" "$WEB/site" "$WORK" || status=1
NODE_PATH=/usr/share/nodejs cmake --build "$WEB" --target shader_lighting
NODE_PATH=$WEB/node/node_modules node "$HERE/browser/shader_lighting.js" "$WEB/checks" "$WORK/shader-lighting" || status=1
exit "$status"
