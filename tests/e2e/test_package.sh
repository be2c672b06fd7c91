# The Debian package as a player gets it: its control fields and files, its
# desktop entry and software-centre file, and the game started through the
# packaged `fetch` command from an unrelated folder, with the package unpacked
# into a scratch root (never installed into this machine). Then the same
# command with its image folder gone, and a staged --prefix install.
#
# ctest makes the package first (the package.make fixture) and passes
# FETCH_DEB, the package file, and FETCH_BUILD_DIR, the build it came from.
source "$(dirname "$0")/lib.sh" "$@"

if [ -z "${FETCH_DEB:-}" ] || [ -z "${FETCH_BUILD_DIR:-}" ]; then
    fail "FETCH_DEB and FETCH_BUILD_DIR are not set: run this through ctest, which makes the package first"
fi
[ -f "$FETCH_DEB" ] || fail "no package at $FETCH_DEB"
for program in dpkg-deb desktop-file-validate appstreamcli; do
    command -v "$program" >/dev/null ||
        fail "$program is not installed (./test installs dpkg-dev, desktop-file-utils and appstream)"
done

# --- control fields ---------------------------------------------------------------

while read -r name wanted; do
    got=$(dpkg-deb --field "$FETCH_DEB" "$name")
    [ "$got" = "$wanted" ] || fail "the package's $name is '$got', wanted '$wanted'"
done <<'FIELDS'
Package fetch
Version 1.0.0
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
    echo "-rwxr-xr-x ./usr/bin/fetch"
    echo "-rwxr-xr-x ./usr/libexec/fetch/fetch"
    echo "-rw-r--r-- ./usr/share/applications/fetch.desktop"
    echo "-rw-r--r-- ./usr/share/doc/fetch/README.md"
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
LAUNCHER=$ROOT_DIR/usr/bin/fetch
IMAGE_DIR=$ROOT_DIR/usr/share/games/fetch

for image in "${IMAGES[@]}"; do
    cmp -s "$IMAGE_DIR/$image" "$E2E_RUN_DIR/$image" || fail "the packaged $image is not the build's"
done
if grep -rlF "$(realpath "$FETCH_BUILD_DIR")" "$ROOT_DIR" >"$E2E_WORK/leaks.txt"; then
    fail "files name the build folder: $(cat "$E2E_WORK/leaks.txt")"
fi
note "ok: the images are the build's, and no file names the build folder"

# --- desktop entry and software-centre file ------------------------------------------

DESKTOP=$ROOT_DIR/usr/share/applications/fetch.desktop
METAINFO=$ROOT_DIR/usr/share/metainfo/org.example.fetch.metainfo.xml
findings=$(desktop-file-validate "$DESKTOP" 2>&1) || fail "desktop-file-validate refuses the entry: $findings"
[ -z "$findings" ] || fail "desktop-file-validate has remarks: $findings"
findings=$(appstreamcli validate --no-net "$METAINFO" 2>&1) || fail "appstreamcli refuses the metainfo: $findings"

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
grep -q '<release version="1.0.0"' "$METAINFO" || fail "the metainfo has no 1.0.0 release"
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
# images there: with one image taken away, the game reads up to it and stops.
STAGE=$E2E_WORK/stage
DESTDIR=$STAGE cmake --install "$FETCH_BUILD_DIR" --prefix /home/player/.local >"$E2E_WORK/install.log"
PREFIX=$STAGE/home/player/.local
[ -x "$PREFIX/bin/fetch" ] || fail "the staged install has no bin/fetch"
rm "$PREFIX/share/games/fetch/dog3.bmp"
rc=0
(cd "$ELSEWHERE" && timeout 60 "$PREFIX/bin/fetch") </dev/null >"$E2E_LOG" 2>&1 || rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc from the staged install without dog3.bmp, wanted 1"
mapfile -t expected < <(load_lines 3)
expect_output "${expected[@]}" "File Not Found : dog3.bmp"
