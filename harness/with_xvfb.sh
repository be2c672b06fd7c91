#!/usr/bin/env bash
# Runs one command on a private Xvfb started the harness's one way
# (harness/xvfb.sh), with DISPLAY set, then stops the server; exits with the
# command's exit code, or 1 if no server would start.
#
#   harness/with_xvfb.sh COMMAND [ARGUMENT...]
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi
for program in Xvfb xdotool; do
    command -v "$program" >/dev/null ||
        { echo "with_xvfb: $program is not installed (./test installs xvfb and xdotool)" >&2; exit 1; }
done
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

XVFB_DIR=$(mktemp -d)
trap 'xvfb_stop; rm -rf "$XVFB_DIR"' EXIT
trap 'exit 130' INT TERM
xvfb_start "$XVFB_DIR" || exit 1
rc=0
"$@" || rc=$?
exit "$rc"
