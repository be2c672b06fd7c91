# The harness itself: a test that fails keeps its work folder (screenshots, the
# game's log) under a name with the time, says where, and the next run of that
# test, which starts afresh, leaves the kept folder alone. No game is started.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

E2E_LIBRARY=$HARNESS_DIR/e2e.sh
INNER_WORK=$E2E_WORK/inner

# run_inner NAME BODY: runs a test script made of the end-to-end library and
# BODY on the inner work folder; its standard error goes to NAME.err, its exit
# code to INNER_RC.
run_inner() {
    printf 'source %q "$@"\n%s\n' "$E2E_LIBRARY" "$2" >"$E2E_WORK/$1.sh"
    INNER_RC=0
    bash "$E2E_WORK/$1.sh" "$E2E_FETCH" "$E2E_RUN_DIR" "$INNER_WORK" "$E2E_TOOLS" 2>"$E2E_WORK/$1.err" ||
        INNER_RC=$?
}

kept_folders() {
    find "$E2E_WORK" -maxdepth 1 -name 'inner.failed-*' -type d | sort
}

run_inner failing 'echo shot >"$E2E_WORK/seen1.xwd"; fail "on purpose"'
[ "$INNER_RC" -eq 1 ] || fail "a failing test ended with $INNER_RC, wanted 1"
[ ! -e "$INNER_WORK" ] || fail "the failed test's work folder stayed where the next run wipes it"
mapfile -t kept < <(kept_folders)
[ "${#kept[@]}" -eq 1 ] || fail "wanted one kept folder, found ${#kept[@]}"
[ "$(cat "${kept[0]}/seen1.xwd")" = shot ] || fail "the kept folder lacks the failed run's screenshot"
grep -qF "kept the work folder of this failure: ${kept[0]}" "$E2E_WORK/failing.err" ||
    fail "the failure does not say where its folder is kept: $(cat "$E2E_WORK/failing.err")"
note "ok: the failed run's folder is kept at ${kept[0]##*/}"

run_inner passing 'echo shot >"$E2E_WORK/seen1.xwd"'
[ "$INNER_RC" -eq 0 ] || fail "a passing test ended with $INNER_RC: $(cat "$E2E_WORK/passing.err")"
[ -f "$INNER_WORK/seen1.xwd" ] || fail "a passing test's work folder is not left in place"
[ "$(kept_folders)" = "${kept[0]}" ] || fail "the next run touched the kept folder: $(kept_folders)"
note "ok: a passing run keeps its folder in place and leaves the kept one alone"
