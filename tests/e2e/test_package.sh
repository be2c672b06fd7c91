# The Debian package as a player and a distribution get it: its control fields
# and files, lintian's verdict, the manual page, one version everywhere, its
# desktop entry and software-centre file, and the game started through the
# packaged `fetch` command from an unrelated folder, with the package unpacked
# into a scratch root (never installed into this machine). Then the same
# command with its image folder gone, and a staged --prefix install.
#
# ctest makes the package first (the package.make fixture) and passes
# FETCH_DEB, the package file, FETCH_BUILD_DIR, the build it came from, and
# FETCH_VERSION, project()'s version.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

if [ -z "${FETCH_DEB:-}" ] || [ -z "${FETCH_BUILD_DIR:-}" ] || [ -z "${FETCH_VERSION:-}" ]; then
    fail "FETCH_DEB, FETCH_BUILD_DIR and FETCH_VERSION are not set: run this through ctest, which makes the package first"
fi
[ -f "$FETCH_DEB" ] || fail "no package at $FETCH_DEB"
for program in dpkg-deb dpkg-parsechangelog desktop-file-validate appstreamcli lintian man; do
    command -v "$program" >/dev/null ||
        fail "$program is not installed (./test installs dpkg-dev, desktop-file-utils, appstream, lintian and man-db)"
done

# --- control fields ---------------------------------------------------------------

while read -r name wanted; do
    got=$(dpkg-deb --field "$FETCH_DEB" "$name")
    [ "$got" = "$wanted" ] || fail "the package's $name is '$got', wanted '$wanted'"
done <<FIELDS
Package fetch
Version $FETCH_VERSION
Section games
Recommends libgl1-mesa-dri
FIELDS

# Depends, one package name per line (alternatives split too), versions dropped.
depends=$(dpkg-deb --field "$FETCH_DEB" Depends | tr ',|' '\n' | awk '{print $1}')
note "Depends: $(tr '\n' ' ' <<<"$depends")"
for library in '^libglut' '^libglu1' '^libopenal'; do
    grep -q "$library" <<<"$depends" || fail "Depends names no package matching $library"
done
if grep -Eq -- '-dev$|gtest' <<<"$depends"; then
    fail "Depends names a build or test package"
fi
note "ok: the control fields"

# --- the files --------------------------------------------------------------------

# Every file (not folder) in the package, with its mode: exactly these.
expected_files() {
    echo "-rwxr-xr-x ./usr/games/fetch"
    echo "-rwxr-xr-x ./usr/lib/games/fetch/fetch"
    echo "-rw-r--r-- ./usr/share/applications/fetch.desktop"
    echo "-rw-r--r-- ./usr/share/doc/fetch/README.md"
    echo "-rw-r--r-- ./usr/share/doc/fetch/changelog.gz"
    echo "-rw-r--r-- ./usr/share/doc/fetch/copyright"
    echo "-rw-r--r-- ./usr/share/man/man6/fetch.6.gz"
    printf -- '-rw-r--r-- ./usr/share/games/fetch/%s\n' "${IMAGES[@]}"
    echo "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/fetch.svg"
    echo "-rw-r--r-- ./usr/share/metainfo/org.example.fetch.metainfo.xml"
}
if ! diff <(expected_files | sort -k 2) <(dpkg-deb -c "$FETCH_DEB" | awk '$1 !~ /^d/ {print $1, $6}' | sort -k 2) \
    >"$E2E_WORK/files.diff"; then
    sed 's/^/    | /' "$E2E_WORK/files.diff" >&2
    fail "the package's files differ from the player's set (< wanted, > found)"
fi
note "ok: the package holds exactly the $(expected_files | wc -l) files a player needs"

ROOT_DIR=$E2E_WORK/root
mkdir -p "$ROOT_DIR"
dpkg-deb -x "$FETCH_DEB" "$ROOT_DIR"
ROOT_DIR=$(realpath "$ROOT_DIR")
LAUNCHER=$ROOT_DIR/usr/games/fetch
IMAGE_DIR=$ROOT_DIR/usr/share/games/fetch

for image in "${IMAGES[@]}"; do
    cmp -s "$IMAGE_DIR/$image" "$E2E_RUN_DIR/$image" || fail "the packaged $image is not the build's"
done
if grep -rlF "$(realpath "$FETCH_BUILD_DIR")" "$ROOT_DIR" >"$E2E_WORK/leaks.txt"; then
    fail "files name the build folder: $(cat "$E2E_WORK/leaks.txt")"
fi
note "ok: the images are the build's, and no file names the build folder"

# --- what a distribution checks ------------------------------------------------------

# lintian prints a notice of its own as root: count its tags, not its lines.
# It ends with 1 when it finds errors, 2 when it cannot check at all.
rc=0
lintian "$FETCH_DEB" >"$E2E_WORK/lintian.txt" 2>&1 || rc=$?
[ "$rc" -le 1 ] || fail "lintian could not check the package: $(cat "$E2E_WORK/lintian.txt")"
if grep -E '^(E|W): ' "$E2E_WORK/lintian.txt" >"$E2E_WORK/lintian-tags.txt"; then
    sed 's/^/    | /' "$E2E_WORK/lintian-tags.txt" >&2
    fail "lintian finds $(wc -l <"$E2E_WORK/lintian-tags.txt") error or warning tags"
fi

MANPAGE=$ROOT_DIR/usr/share/man/man6/fetch.6.gz
MANWIDTH=80 man --warnings -l "$MANPAGE" >"$E2E_WORK/man.txt" 2>"$E2E_WORK/man-warnings.txt" ||
    fail "man cannot render the manual page: $(cat "$E2E_WORK/man-warnings.txt")"
[ ! -s "$E2E_WORK/man-warnings.txt" ] || fail "man warns about the manual page: $(cat "$E2E_WORK/man-warnings.txt")"
for section in NAME SYNOPSIS DESCRIPTION CONTROLS FILES 'EXIT STATUS' 'SEE ALSO'; do
    grep -qx "$section" "$E2E_WORK/man.txt" || fail "the manual page has no $section section"
done
note "ok: lintian reports no error or warning, and the manual page renders cleanly"

# One version: project()'s, with CHANGELOG.md's newest entry and date, in the
# package, its changelog, the manual page and the metainfo.
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
heading=$(grep -m 1 -E '^## \[[0-9]' "$SOURCE_DIR/CHANGELOG.md")
[ "$heading" != "${heading#"## [$FETCH_VERSION] - "}" ] ||
    fail "CHANGELOG.md's newest entry is '$heading', not version $FETCH_VERSION"
release_date=${heading##* - }
gunzip -c "$ROOT_DIR/usr/share/doc/fetch/changelog.gz" >"$E2E_WORK/changelog"
[ "$(dpkg-parsechangelog -l "$E2E_WORK/changelog" -S Version)" = "$FETCH_VERSION" ] ||
    fail "the Debian changelog's newest version is not $FETCH_VERSION"
[ "$(date -u -d "$(dpkg-parsechangelog -l "$E2E_WORK/changelog" -S Date)" +%F)" = "$release_date" ] ||
    fail "the Debian changelog's newest date is not $release_date"
grep -q "^Fetch $FETCH_VERSION  *$release_date  *FETCH(6)\$" "$E2E_WORK/man.txt" ||
    fail "the manual page's footer does not say Fetch $FETCH_VERSION of $release_date: $(tail -n 1 "$E2E_WORK/man.txt")"
releases=$(grep -o '<release version="[^"]*" date="[^"]*"' "$ROOT_DIR/usr/share/metainfo/org.example.fetch.metainfo.xml")
[ "$(head -n 1 <<<"$releases")" = "<release version=\"$FETCH_VERSION\" date=\"$release_date\"" ] ||
    fail "the metainfo's newest release is not $FETCH_VERSION of $release_date: $releases"
[ "$(wc -l <<<"$releases")" = "$(grep -cE '^## \[[0-9]' "$SOURCE_DIR/CHANGELOG.md")" ] ||
    fail "the metainfo and CHANGELOG.md list different numbers of releases"
# ... and no other file of the sources writes it.
if git -C "$SOURCE_DIR" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$SOURCE_DIR" grep -lIF "$FETCH_VERSION" -- . ':!CMakeLists.txt' ':!CHANGELOG.md' ':!*package-lock.json' \
        >"$E2E_WORK/version-copies.txt" || true
    [ ! -s "$E2E_WORK/version-copies.txt" ] ||
        fail "files other than CMakeLists.txt and CHANGELOG.md hold $FETCH_VERSION: $(tr '\n' ' ' <"$E2E_WORK/version-copies.txt")"
else
    note "not a git checkout: the search for other copies of the version is left out"
fi
note "ok: version $FETCH_VERSION of $release_date is the same in the package, changelog, manual page and metainfo"

# --- desktop entry and software-centre file ------------------------------------------

DESKTOP=$ROOT_DIR/usr/share/applications/fetch.desktop
METAINFO=$ROOT_DIR/usr/share/metainfo/org.example.fetch.metainfo.xml
findings=$(desktop-file-validate "$DESKTOP" 2>&1) || fail "desktop-file-validate refuses the entry: $findings"
[ -z "$findings" ] || fail "desktop-file-validate has remarks: $findings"
findings=$(appstreamcli validate --pedantic --no-net "$METAINFO" 2>&1) || fail "appstreamcli refuses the metainfo: $findings"
! grep -E '^[EWIP]: ' <<<"$findings" || fail "appstreamcli --pedantic has remarks: $findings"

# The three files must agree: the entry starts the command on the PATH and
# names the icon, the metainfo names the entry, its own id and the release.
while read -r file line; do
    sed 's/^[[:space:]]*//' "$ROOT_DIR/$file" | grep -qxF "$line" || fail "$file lacks the line: $line"
done <<'LINES'
usr/share/applications/fetch.desktop Exec=fetch
usr/share/applications/fetch.desktop Icon=fetch
usr/share/applications/fetch.desktop Terminal=false
usr/share/applications/fetch.desktop Name=Fetch
usr/share/metainfo/org.example.fetch.metainfo.xml   <id>org.example.fetch</id>
usr/share/metainfo/org.example.fetch.metainfo.xml   <launchable type="desktop-id">fetch.desktop</launchable>
LINES
grep -q 'Categories=Game;' "$DESKTOP" || fail "the entry is not in the games menu"
grep -q '<content_rating type="oars-' "$METAINFO" || fail "the metainfo has no content rating"
note "ok: the desktop entry and metainfo validate and agree"

# --- the game through the launcher, from an unrelated folder ---------------------------

ELSEWHERE=$E2E_WORK/elsewhere
mkdir -p "$ELSEWHERE"
start_xvfb
display=$DISPLAY
# The game gets its display only from the -display argument, so it opens its
# window only if the launcher hands the arguments on.
: >"$E2E_LOG"
(cd "$ELSEWHERE" && exec env -u DISPLAY "$LAUNCHER" -display "$display" </dev/null >"$E2E_LOG" 2>&1) &
GAME_PID=$!
note "the packaged fetch started from $ELSEWHERE (pid $GAME_PID)"
wait_for_window
mapfile -t expected < <(load_lines)
expect_output "${expected[@]}"
press q
wait_for_exit 120
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after 'q', wanted 0"
expect_output "${expected[@]}"

# --- the launcher without its image folder, started through a link ---------------------

mv "$IMAGE_DIR" "$IMAGE_DIR.gone"
ln -s "$LAUNCHER" "$ELSEWHERE/fetch-link"
rc=0
(cd "$ELSEWHERE" && timeout 30 ./fetch-link) </dev/null >"$E2E_LOG" 2>&1 || rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc without the image folder, wanted 1"
expect_output "fetch: cannot find the image folder $IMAGE_DIR"

# --- a staged install under a home-style prefix ----------------------------------------

# The same command, installed with DESTDIR and --prefix, finds the game and its
# images there, through the link in bin/ that puts it on a home install's PATH:
# with one image taken away, the game reads up to it and stops.
STAGE=$E2E_WORK/stage
DESTDIR=$STAGE cmake --install "$FETCH_BUILD_DIR" --prefix /home/player/.local >"$E2E_WORK/install.log"
PREFIX=$STAGE/home/player/.local
[ -x "$PREFIX/games/fetch" ] || fail "the staged install has no games/fetch"
[ "$(readlink "$PREFIX/bin/fetch")" = ../games/fetch ] || fail "the staged install's bin/fetch is no link to ../games/fetch"
grep -qx /home/player/.local/bin/fetch "$FETCH_BUILD_DIR/install_manifest.txt" ||
    fail "install_manifest.txt does not list the bin/fetch link"
rm "$PREFIX/share/games/fetch/dog3.bmp"
rc=0
(cd "$ELSEWHERE" && timeout 60 "$PREFIX/bin/fetch") </dev/null >"$E2E_LOG" 2>&1 || rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc from the staged install without dog3.bmp, wanted 1"
mapfile -t expected < <(load_lines 3)
expect_output "${expected[@]}" "File Not Found : dog3.bmp"
