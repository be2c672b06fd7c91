# A missing image stops start-up at that file with its message and exit code 1.
set -euo pipefail
source "$(dirname "$0")/lib.sh" "$@"

rm "$E2E_GAME_DIR/dog3.bmp"
start_xvfb
start_game
wait_for_exit 60
[ "$GAME_RC" -eq 1 ] || fail "exit code $GAME_RC, wanted 1"
mapfile -t expected < <(load_lines 3)
expect_output "${expected[@]}" "File Not Found : dog3.bmp"
