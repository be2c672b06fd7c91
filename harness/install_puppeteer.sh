#!/usr/bin/env bash
# Installs puppeteer-core, which drives headless Chromium for the browser tests
# and tools, and the page's auditors Lighthouse 12.2.3 (13 wants a newer Node
# than Debian's) and axe-core 4.10, from harness/package-lock.json into
# WEB_BUILD_DIR/node (once: again only when the lock file changes). Node finds it there through
# NODE_PATH=WEB_BUILD_DIR/node/node_modules.
#
#   harness/install_puppeteer.sh WEB_BUILD_DIR
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
NODE_DIR=$(realpath -m "$1")/node

mkdir -p "$NODE_DIR"
if ! cmp -s "$HERE/package-lock.json" "$NODE_DIR/package-lock.json" || [ ! -d "$NODE_DIR/node_modules" ]; then
    cp "$HERE/package.json" "$HERE/package-lock.json" "$NODE_DIR/"
    (cd "$NODE_DIR" && npm ci --no-audit --no-fund --loglevel=error)
fi
