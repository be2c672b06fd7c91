# Start-up with every image present: the twelve load lines in order and nothing
# else, then the game keeps running and drawing.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

start_scene
mapfile -t expected < <(load_lines)
expect_output "${expected[@]}"

sleep 3
game_ended && fail "the game ended on its own"
shot=$(screenshot running)
expect "share of the window drawn (neither white nor black)" \
    "$(share_of "$shot" $WHOLE_WINDOW "$DRAWN_PIXEL")" '>' 0.95
expect_output "${expected[@]}"
