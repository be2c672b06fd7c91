# A missing image stops start-up at that file with its message and exit code 1.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

rm "$E2E_GAME_DIR/dog3.bmp"
start_up_stops_at 3 "File Not Found : dog3.bmp"
