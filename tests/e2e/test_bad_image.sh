# A 32-bit image is refused with its message and exit code 1; the files after it
# are not tried.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

"$E2E_TOOLS/make_test_bmp" "$E2E_GAME_DIR/brick1.bmp" 64 64 32
start_up_stops_at 6 "Bpp from brick1.bmp is not 24: 32"
