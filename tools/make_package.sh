#!/usr/bin/env bash
# Makes the Debian package of the game: installs what is missing, builds the
# game and its images in Release (without the tests and the benchmark) in
# build-package/, and writes build-package/fetch_<version>_<architecture>.deb.
# Usage: tools/make_package.sh
set -euo pipefail
source "$(dirname "$0")/../scripts/setup.sh"

install_packages "${PLAY_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
build "$ROOT/build-package" -DCMAKE_BUILD_TYPE=Release -DFETCH_TESTS=OFF -DFETCH_BENCH=OFF
cmake --build "$ROOT/build-package" --target package
deb=$(ls -t "$ROOT"/build-package/fetch_*.deb | head -n 1)
echo "Install it with: sudo apt install $deb"
