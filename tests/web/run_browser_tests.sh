#!/usr/bin/env bash
# The browser build's end-to-end tests in headless Chromium, beside a desktop
# run for the picture comparison; then the page on a phone, offline, with
# something missing, and in Firefox; and the page server's own tests.
#
#   bash tests/web/run_browser_tests.sh WEB_BUILD_DIR DESKTOP_BUILD_DIR
#
# Installs puppeteer-core (from the committed lock file) into
# WEB_BUILD_DIR/node, runs tests/web/serve.test.js (node:test), takes the
# desktop's rest scene at a fixed second, runs tests/web/browser/run_tests.js
# against WEB_BUILD_DIR/site, then phone.js, offline.js and missing.js, and
# firefox.js with a private Xvfb (headless Firefox has no WebGL here). Every
# part runs; the script fails if any did. FETCH_WEB_CHECKS=WORD runs only the
# checks whose names hold WORD.
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

failed=()
# part NAME COMMAND...: runs one part of the tests and notes it if it fails.
part() {
    local name=$1
    shift
    echo "== $name"
    "$@" || failed+=("$name")
}

part "the page server (node:test)" node --test ${FETCH_WEB_CHECKS:+--test-name-pattern="$FETCH_WEB_CHECKS"} "$HERE/serve.test.js"

bash "$HERE/desktop_reference.sh" "$DESKTOP/run/fetch" "$DESKTOP/run" "$WORK/desktop" \
    "$DESKTOP/tests/e2e_tool" "$STAMP" "$WORK/desktop-rest.ppm"
export NODE_PATH=$WEB/node/node_modules
part "the page in Chromium" node "$HERE/browser/run_tests.js" "$WEB/site" "$WORK" "$WORK/desktop-rest.ppm" "$STAMP"
for script in phone offline missing; do
    part "the page: $script" node "$HERE/browser/$script.js" "$WEB/site" "$WORK/$script"
done

# Firefox on a private Xvfb, which Xvfb picks and reports on a descriptor; it
# must not reset when a client leaves (-noreset).
XVFB_PID=""
trap '[ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true' EXIT
: >"$WORK/xvfb.display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 +extension GLX -nolisten tcp -noreset \
    3>"$WORK/xvfb.display" >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
deadline=$((SECONDS + 60))
until grep -q '^[0-9][0-9]*$' "$WORK/xvfb.display"; do
    if ! kill -0 "$XVFB_PID" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
        echo "Xvfb reported no display: $(tail -n 2 "$WORK/xvfb.log")" >&2
        exit 1
    fi
    sleep 0.1
done
part "the page in Firefox" env DISPLAY=":$(cat "$WORK/xvfb.display")" node "$HERE/browser/firefox.js" "$WEB/site" "$WORK/firefox"

if [ ${#failed[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "== all browser checks passed"
