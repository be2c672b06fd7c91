#!/usr/bin/env bash
# The browser build's end-to-end tests in headless Chromium, beside a desktop
# run for the picture comparison.
#
#   bash tests/web/run_browser_tests.sh WEB_BUILD_DIR DESKTOP_BUILD_DIR
#
# Installs puppeteer-core (from the committed lock file) into
# WEB_BUILD_DIR/node, takes the desktop's rest scene at a fixed second, then
# runs tests/web/browser/run_tests.js and sound_check.js against WEB_BUILD_DIR/site.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
WEB=$(realpath "$1")
DESKTOP=$(realpath "$2")
WORK=$WEB/browser-tests
STAMP=1765108800   # 2025-12-07 12:00:00 UTC: any fixed second will do

mkdir -p "$WEB/node" "$WORK"
if ! cmp -s "$HERE/browser/package-lock.json" "$WEB/node/package-lock.json" || [ ! -d "$WEB/node/node_modules" ]; then
    cp "$HERE/browser/package.json" "$HERE/browser/package-lock.json" "$WEB/node/"
    (cd "$WEB/node" && npm ci --no-audit --no-fund --loglevel=error)
fi

bash "$HERE/desktop_reference.sh" "$DESKTOP/run/fetch" "$DESKTOP/run" "$WORK/desktop" \
    "$DESKTOP/tests/e2e_tool" "$STAMP" "$WORK/desktop-rest.ppm"
status=0
NODE_PATH=$WEB/node/node_modules node "$HERE/browser/run_tests.js" "$WEB/site" "$WORK" "$WORK/desktop-rest.ppm" "$STAMP" ||
    status=1
NODE_PATH=$WEB/node/node_modules node "$HERE/browser/sound_check.js" "$WEB/site" "$WORK" || status=1
exit "$status"
