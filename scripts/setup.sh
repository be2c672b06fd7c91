# Shared set-up for ./play, ./test and the tools: the Debian packages that
# building, playing, testing, packaging and the browser version need (the
# *_PACKAGES lists), and ROOT, the project's folder. Source it; it defines
# install_packages (installs the packages of a list that are missing),
# install_npm, build (the desktop game, its images and tests) and build_web
# (the browser version).

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building and playing needs.
PLAY_PACKAGES=(
    cmake            # build system
    ninja-build      # build tool
    g++              # compiler
    freeglut3-dev    # the GLUT toolkit (window, input, timers)
    libglu1-mesa-dev # GLU (perspective, look-at, quadrics)
    libgl1-mesa-dev  # OpenGL headers and library
    libgl1-mesa-dri  # Mesa's drivers, including the software renderer
    libopenal-dev    # OpenAL (OpenAL Soft): the sound effects
)

# What the tests need on top.
TEST_PACKAGES=(
    libgtest-dev     # GoogleTest
    xvfb             # a headless X server for the end-to-end tests
    xdotool          # clicks, keys and pointer moves as a player makes them
    x11-apps         # xwd, to take screenshots of the window
    clang            # the fuzzer's compiler
    libclang-rt-14-dev # libFuzzer and the sanitizer runtimes for clang
    desktop-file-utils # desktop-file-validate, for the package's menu entry
    appstream        # appstreamcli, for the package's metainfo
    jq               # reads the shared tables (the images, the screen regions) in the shell harness
    lintian          # Debian's own check of the package
    man-db           # man, to render the manual page with its warnings
    faketime         # a game started at a fixed second (fixed trees): the sound test, the browser's picture
    python3-markdown # reads the README and the guides for the link check (tests/docs/check_links.py)
)

# What making the Debian package needs on top of building.
PACKAGE_PACKAGES=(
    dpkg-dev         # dpkg-shlibdeps, which works out the package's dependencies
    file             # which CPack uses to find the binaries to hand to it
)

# What tools/make_release.sh needs on top of the package's and the browser's.
RELEASE_PACKAGES=(
    zip              # the browser site's archive
    unzip            # reads the archive back in the reproducibility test
)

# What the browser build needs on top (./play --web), and its tests (./test).
WEB_PACKAGES=(
    emscripten       # the C++ compiler for the browser (it brings nodejs)
    nodejs           # runs emscripten's tools, the page's server and the browser tests
    librsvg2-bin     # rsvg-convert, which draws the page's app icons from the game's SVG icon
)
WEB_TEST_PACKAGES=(
    chromium         # the headless browser the browser tests drive
    imagemagick      # turns that desktop screenshot into a picture the browser tests read
    firefox-esr      # the second browser engine the page is tested in (under Xvfb: headless it has no WebGL)
    webkit2gtk-driver # WebKitWebDriver, which drives WebKitGTK's MiniBrowser (Safari's engine, as on every
                      # iPhone and iPad) in the browser tests, under Xvfb; it brings libwebkit2gtk-4.1-0,
                      # which holds the MiniBrowser
)

install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing Debian packages: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...]: configures (once) and builds the game, its images and tests.
build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir"
}

# install_npm: npm, unless the installed nodejs brings its own (some do, and
# then Debian's npm package cannot be installed beside it).
install_npm() {
    command -v npm >/dev/null || install_packages npm
}

# build_web DIR [cmake options...]: configures and builds the browser version into DIR/site.
build_web() {
    local dir=$1
    shift
    emcmake cmake -S "$ROOT/web" -B "$dir" -G Ninja "$@" >/dev/null
    NODE_PATH=/usr/share/nodejs cmake --build "$dir"
}
