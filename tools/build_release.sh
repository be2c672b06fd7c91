#!/usr/bin/env bash
# Builds the two artifacts of a release that are compiled, from the sources in
# SOURCE_DIR into a fresh OUT_DIR: the Debian package (OUT_DIR/package/) and
# the browser site as OUT_DIR/fetch-web-<version>.zip (with the gzip and Brotli
# copies beside its files, for a host that serves them). The same sources give
# the same bits in any folder at any time: every date is SOURCE_DATE_EPOCH
# (when unset, the last commit's time: see packaging/source_date_epoch.cmake).
# Assumes the packages of ./play, tools/make_package.sh and ./play --web and
# zip are installed. tools/make_release.sh calls it, and so does the
# reproducibility test, twice.
# Usage: tools/build_release.sh SOURCE_DIR OUT_DIR
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 SOURCE_DIR OUT_DIR" >&2
    exit 2
fi
src=$(cd "$1" && pwd)
out=$2
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(cmake -P "$src/packaging/source_date_epoch.cmake")}
export SOURCE_DATE_EPOCH

echo "== The Debian package (dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC)"
cmake -S "$src" -B "$out/package" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFETCH_TESTS=OFF -DFETCH_BENCH=OFF >/dev/null
cmake --build "$out/package"
cmake --build "$out/package" --target package
deb=$(ls "$out"/package/fetch_*.deb)
version=$(dpkg-deb --field "$deb" Version)

echo "== The browser site"
emcmake cmake -S "$src/web" -B "$out/web" -G Ninja >/dev/null
NODE_PATH=/usr/share/nodejs cmake --build "$out/web"

# The zip: the site's files at its root, index.html among them (what a host
# that takes a zip of a browser game looks for), in a fixed order with fixed
# modes and dates, no owners or extra timestamps, DOS times in UTC.
name=fetch-web-$version
cp -R "$out/web/site" "$out/$name"
find "$out/$name" -type d -exec chmod 0755 {} +
find "$out/$name" -type f -exec chmod 0644 {} +
find "$out/$name" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$out/$name" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | TZ=UTC zip -X -D -q -@ "../$name.zip")
echo "== Built $deb and $out/$name.zip"
