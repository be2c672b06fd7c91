# 'q' plays the closing scene and ends the game with exit code 0, in aiming mode
# and in free walk. Keys pressed during the scene change nothing: were 'r'
# still heard, it would put the flung dog back home and the scene would not end.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

start_scene
mapfile -t expected < <(load_lines)

press q
# Keep pressing keys and clicking until the game has ended: it must end while
# they go on.
deadline=$((SECONDS + 90))
while ! game_ended; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the closing scene did not end within 90 s of keys and clicks"
    xdotool key r m t q 2>/dev/null || true
    xdotool click 1 2>/dev/null || true
    sleep 0.2
done
wait_for_exit 10
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after 'q', wanted 0"
expect_output "${expected[@]}"

# From free walk, with the dog walked away from home.
start_game
wait_for_window
press m
point 900 100
sleep 2
press q
wait_for_exit 90
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after 'q' in free walk, wanted 0"
expect_output "${expected[@]}"
