#!/usr/bin/env bash
# The browser build's end-to-end tests in headless Chromium, beside a desktop
# run for the picture comparison; then the page on a phone (and on iOS's
# terms), offline, with something missing, in Firefox and in WebKit; the page's audit (the images it draws
# against the desktop's, axe-core, Lighthouse); and the page server's own tests.
#
#   bash tests/web/run_browser_tests.sh WEB_BUILD_DIR DESKTOP_BUILD_DIR
#
# Installs puppeteer-core, Lighthouse and axe-core (harness/install_puppeteer.sh)
# into WEB_BUILD_DIR/node, runs tests/web/serve.test.js and colour_cases.test.js
# (node:test), takes the desktop's rest scene at a fixed second
# (harness/desktop_reference.sh; DESKTOP_BUILD_DIR/harness holds its probes), runs
# tests/web/browser/run_tests.js against WEB_BUILD_DIR/site, then phone.js,
# iphone.js (the first tap's sound, the notch), offline.js, missing.js,
# density.js (the buffer at ratio 2, a lost context, a broken shader),
# sound_check.js, start_tasks.js (no long task from the load to the first
# frame, nor at the first click) and audit.js (with the desktop's images in
# DESKTOP_BUILD_DIR/run), firefox.js and webkit.js (WebKitGTK's MiniBrowser
# over WebDriver) each on a private Xvfb (headless Firefox has no WebGL
# here), and shader_lighting.js against the
# check page it builds. Every part runs; the script fails if any did.
# FETCH_WEB_CHECKS=WORD runs only the checks whose names hold WORD.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
HARNESS=$(cd "$HERE/../../harness" && pwd)
WEB=$(realpath "$1")
DESKTOP=$(realpath "$2")
WORK=$WEB/browser-tests
STAMP=1765108800   # 2025-12-07 12:00:00 UTC: any fixed second will do

mkdir -p "$WORK"
bash "$HARNESS/install_puppeteer.sh" "$WEB"

failed=()
# part NAME COMMAND...: runs one part of the tests and notes it if it fails.
part() {
    local name=$1
    shift
    echo "== $name"
    "$@" || failed+=("$name")
}

part "the page server and the colour tests (node:test)" node --test \
    ${FETCH_WEB_CHECKS:+--test-name-pattern="$FETCH_WEB_CHECKS"} "$HERE/serve.test.js" "$HERE/colour_cases.test.js"

bash "$HARNESS/desktop_reference.sh" "$DESKTOP/run/fetch" "$DESKTOP/run" "$WORK/desktop" \
    "$DESKTOP/harness" "$STAMP" "$WORK/desktop-rest.ppm"
export NODE_PATH=$WEB/node/node_modules
part "the page in Chromium" node "$HERE/browser/run_tests.js" "$WEB/site" "$WORK" "$WORK/desktop-rest.ppm" "$STAMP"
for script in phone iphone offline missing; do
    part "the page: $script" node "$HERE/browser/$script.js" "$WEB/site" "$WORK/$script"
done
part "the page: density" node "$HERE/browser/density.js" "$WEB/site" "$WORK/density"
part "the page's sound" node "$HERE/browser/sound_check.js" "$WEB/site" "$WORK"
part "the page's start: no long tasks" node "$HERE/browser/start_tasks.js" "$WEB/site" "$WORK/start-tasks"
part "the page's audit" node "$HERE/browser/audit.js" "$WEB/site" "$DESKTOP/run" "$WORK/audit"
part "the page in Firefox" bash "$HARNESS/with_xvfb.sh" node "$HERE/browser/firefox.js" "$WEB/site" "$WORK/firefox"
part "the page in WebKit" bash "$HARNESS/with_xvfb.sh" node "$HERE/browser/webkit.js" "$WEB/site" "$WORK/webkit"
NODE_PATH=/usr/share/nodejs cmake --build "$WEB" --target shader_lighting
part "the shader's lighting" node "$HERE/browser/shader_lighting.js" "$WEB/checks" "$WORK/shader-lighting"
# The same check page way: the shapes drawn by size on screen against the shapes as asked for.
NODE_PATH=/usr/share/nodejs cmake --build "$WEB" --target tessellation_levels
part "the shapes by size on screen" node "$HERE/browser/tessellation_levels.js" "$WEB/checks" "$WORK/tessellation-levels"

if [ ${#failed[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "== all browser checks passed"
