#!/usr/bin/env bash
# Makes every artifact of a release from the commit checked out, into dist/:
#   fetch_<version>_<architecture>.deb   the Debian package
#   fetch-web-<version>.zip              the browser site, for any static file server
#                                        (with .gz and .br copies: see docs/browser.md)
#   fetch-<version>.tar.gz               the sources, from git archive
#   SHA256SUMS                           the checksums of the three
# The same commit gives the same bits, in any folder and at any time (every
# date is the last commit's). It refuses to run with uncommitted changes, so
# that what it makes is what the commit holds; it builds in build-release/.
# Usage: tools/make_release.sh
set -euo pipefail
source "$(dirname "$0")/../scripts/setup.sh"
cd "$ROOT"

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "make_release: $ROOT is not a git checkout" >&2
    exit 1
fi
if [ -n "$(git status --porcelain)" ]; then
    echo "make_release: the checkout has uncommitted changes; commit or stash them first:" >&2
    git status --short >&2
    exit 1
fi

install_packages "${PLAY_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${WEB_PACKAGES[@]}" "${RELEASE_PACKAGES[@]}"
SOURCE_DATE_EPOCH=$(cmake -P "$ROOT/packaging/source_date_epoch.cmake")
export SOURCE_DATE_EPOCH
bash "$ROOT/tools/build_release.sh" "$ROOT" "$ROOT/build-release"

deb=$(ls "$ROOT"/build-release/package/fetch_*.deb)
version=$(dpkg-deb --field "$deb" Version)
rm -rf "$ROOT/dist"
mkdir "$ROOT/dist"
cp "$deb" "$ROOT/build-release/fetch-web-$version.zip" "$ROOT/dist/"
git archive --format=tar.gz --prefix="fetch-$version/" -o "$ROOT/dist/fetch-$version.tar.gz" HEAD
(cd "$ROOT/dist" && sha256sum -- *.deb *.zip *.tar.gz >SHA256SUMS)
echo "== dist/ holds the release of Fetch $version (commit $(git rev-parse --short HEAD)):"
cat "$ROOT/dist/SHA256SUMS"
