#!/usr/bin/env bash
# Two builds of one commit are identical bit for bit: the sources are copied
# into two fresh folders at different depths, and tools/build_release.sh builds
# the Debian package and the browser site's zip in each, the second a day later
# by the clock (faketime). Their checksums must agree; when they do not, the
# differing files are named. It also checks that the page's footer carries the
# package's version and that the zip carries the compressed copies. ./test runs it (it costs two Release builds and two
# browser builds: about 1.5 minutes of processor time).
# Usage: tests/release/test_reproducible.sh [WORK_DIR]   (default build-reproducible/)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=${1:-$ROOT/build-reproducible}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for program in faketime zip emcmake dpkg-deb; do
    command -v "$program" >/dev/null || fail "$program is not installed (./test installs it)"
done

# The files a commit holds, with the new ones not yet committed.
copy_sources() {
    mkdir -p "$1"
    if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        (cd "$ROOT" && git ls-files -z --cached --others --exclude-standard |
            tar -c --null -T - --ignore-failed-read -f - 2>/dev/null) | tar -x -C "$1"
    else
        (cd "$ROOT" && tar -c --exclude='./build*' --exclude=./dist -f - .) | tar -x -C "$1"
    fi
}

rm -rf "$WORK"
FIRST=$WORK/first/src
SECOND=$WORK/elsewhere/second/deeper/src
copy_sources "$FIRST"
copy_sources "$SECOND"
# Both builds take the checkout's date, as tools/make_release.sh does.
SOURCE_DATE_EPOCH=$(cmake -P "$ROOT/packaging/source_date_epoch.cmake")
export SOURCE_DATE_EPOCH

echo "== First build, in $FIRST, now"
bash "$ROOT/tools/build_release.sh" "$FIRST" "$FIRST/../out" >"$WORK/first.log" 2>&1 ||
    fail "the first build failed: see $WORK/first.log"
echo "== Second build, in $SECOND, a day later by the clock"
faketime -f '+1d' bash "$ROOT/tools/build_release.sh" "$SECOND" "$SECOND/../out" >"$WORK/second.log" 2>&1 ||
    fail "the second build failed: see $WORK/second.log"

A=$FIRST/../out
B=$SECOND/../out
deb=$(cd "$A/package" && ls fetch_*.deb)
version=$(dpkg-deb --field "$A/package/$deb" Version)
zip=fetch-web-$version.zip
differ=0
for artifact in "package/$deb" "$zip"; do
    [ -f "$B/$artifact" ] || fail "the second build made no $artifact"
    sum_a=$(sha256sum <"$A/$artifact")
    sum_b=$(sha256sum <"$B/$artifact")
    if [ "$sum_a" = "$sum_b" ]; then
        echo "ok: $artifact is identical: ${sum_a%% *}"
    else
        echo "FAIL: $artifact differs between the builds" >&2
        differ=1
    fi
done
if [ "$differ" -ne 0 ]; then
    diff -rq "$A/web/site" "$B/web/site" >&2 || true
    mkdir -p "$WORK/unpacked/a" "$WORK/unpacked/b"
    dpkg-deb -x "$A/package/$deb" "$WORK/unpacked/a"
    dpkg-deb -x "$B/package/$deb" "$WORK/unpacked/b"
    diff -rq "$WORK/unpacked/a" "$WORK/unpacked/b" >&2 || true
    fail "the two builds differ (diffoscope names the first difference, if installed)"
fi

# The page's footer says the package's version.
grep -qF "<footer><p>Fetch $version " "$A/web/site/index.html" ||
    fail "the page's footer does not say Fetch $version: $(grep -F '<footer>' "$A/web/site/index.html")"
echo "ok: the page's footer says Fetch $version"
# The entry page at the zip's root, where hosts look for it, and fetch.html beside it for old links.
for file in index.html fetch.html; do
    unzip -p "$A/$zip" "$file" | cmp -s - "$A/web/site/index.html" || fail "the zip's root has no $file that is the page"
done
echo "ok: the zip's root holds index.html (and fetch.html)"
# The zip carries the compressed copies a static host sends in the files' place.
for copy in fetch.wasm.br fetch.wasm.gz; do
    unzip -l "$A/$zip" "$copy" >/dev/null || fail "the zip has no $copy"
done
unzip -p "$A/$zip" "fetch.wasm.gz" | gunzip | cmp -s - "$A/web/site/fetch.wasm" ||
    fail "fetch.wasm.gz in the zip is not fetch.wasm compressed"
echo "ok: the zip carries the gzip and Brotli copies"
# And the image worker, without which the page cannot start the game.
for file in images.js images.wasm images.wasm.br; do
    unzip -l "$A/$zip" "$file" >/dev/null || fail "the zip has no $file"
done
echo "ok: the zip carries the image worker"
echo "PASS: two builds of one commit, in two folders a day apart, are identical"
