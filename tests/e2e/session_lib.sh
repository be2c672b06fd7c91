# Helpers of the long play-throughs (test_play_session.sh, test_random_play.sh)
# on top of lib.sh: source it after lib.sh,
#
#   source "$(dirname "$0")/lib.sh" "$@"
#   source "$(dirname "$0")/session_lib.sh"
#
# When the game is built with AddressSanitizer and UndefinedBehaviorSanitizer
# (-DFETCH_SANITIZE=ON), use_sanitizer_options runs it through a small wrapper
# that sets their options for the game alone (Xvfb, xdotool and xwd run without
# them), so that any report ends the game with a non-zero exit code; and
# expect_no_sanitizer_report checks the game's log for reports.

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SANITIZED=0

# The Mesa driver that draws under Xvfb (its software renderer), or nothing.
mesa_driver() {
    local dir
    for dir in ${LIBGL_DRIVERS_PATH:+${LIBGL_DRIVERS_PATH//:/ }} /usr/lib/"$(uname -m)"-linux-gnu/dri /usr/lib64/dri /usr/lib/dri; do
        if [ -f "$dir/swrast_dri.so" ]; then
            echo "$dir/swrast_dri.so"
            return 0
        fi
    done
    return 1
}

# use_sanitizer_options: when the game carries the sanitizers, start it from now
# on through a wrapper with their options.
#
# Leaks: the game ends through exit(0) while GLUT, GLX and Mesa still hold their
# allocations, and LeakSanitizer, which checks at exit, would report those.
# lsan.supp names the libraries whose own allocations are not ours to free. One
# catch: by the time the leak check runs, GLX has unloaded Mesa's driver, so
# the driver's allocations come from an unknown module that no suppression can
# name. Loading the driver at start-up as well (LD_PRELOAD) keeps it mapped to
# the end. The sanitizer runtime must come first in the preload list when it is
# a shared library (GCC's default). Without the driver file, leak detection is
# switched off rather than failing on allocations that are not ours.
use_sanitizer_options() {
    if ! grep -q -e __asan_init -e __ubsan_handle "$E2E_FETCH"; then
        note "the game is built without sanitizers"
        return 0
    fi
    SANITIZED=1
    local leaks=1 preload="" runtime driver
    runtime=$(ldd "$E2E_FETCH" | awk '/libasan\.so/ {print $3; exit}')
    if driver=$(mesa_driver); then
        preload="${runtime:+$runtime }$driver"
    else
        leaks=0
        note "no swrast_dri.so found: leak detection off (the driver's leaks could not be told apart)"
    fi
    local wrapper=$E2E_WORK/fetch-sanitized
    {
        echo '#!/usr/bin/env bash'
        printf 'export ASAN_OPTIONS=%q\n' \
            "halt_on_error=1:abort_on_error=0:exitcode=66:detect_leaks=$leaks:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
        printf 'export LSAN_OPTIONS=%q\n' "suppressions=$E2E_DIR/lsan.supp:print_suppressions=0:exitcode=66"
        printf 'export UBSAN_OPTIONS=%q\n' "halt_on_error=1:print_stacktrace=1:exitcode=66"
        if [ -n "$preload" ]; then
            printf 'export LD_PRELOAD=%q\n' "$preload"
        fi
        printf 'exec %q "$@"\n' "$E2E_FETCH"
    } >"$wrapper"
    chmod +x "$wrapper"
    E2E_FETCH=$wrapper
    note "the game carries sanitizers: run with their options (leak detection $([ "$leaks" -eq 1 ] && echo on || echo off))"
}

# expect_no_sanitizer_report: the game's log holds no sanitizer report.
expect_no_sanitizer_report() {
    local pattern='ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|UndefinedBehaviorSanitizer|WARNING: AddressSanitizer'
    if grep -qE "$pattern" "$E2E_LOG"; then
        note "sanitizer report in the game's log:"
        grep -m 1 -A 60 -E "$pattern" "$E2E_LOG" | sed 's/^/    | /' >&2
        fail "a sanitizer reported a fault (full log: $E2E_LOG)"
    fi
    if [ "$SANITIZED" -eq 1 ]; then
        note "ok: no sanitizer report in the game's log"
    fi
}

# expect_clean_exit: the game ended with exit code 0, printed the twelve
# start-up lines and nothing else, and no sanitizer spoke.
expect_clean_exit() {
    expect_no_sanitizer_report
    [ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC, wanted 0"
    local expected
    mapfile -t expected < <(load_lines)
    expect_output "${expected[@]}"
}
