# One copy of each shared fact: the screen regions, colour tests, conditions on
# the dog and the meter's measuring points live only in harness/regions.json,
# Xvfb and faketime are started only by the harness, and the tools reach into
# no test's folder. No game is started.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

ROOT=$(cd "$HARNESS_DIR/.." && pwd)
TABLE=$HARNESS_DIR/regions.json

# copies_of PATTERN: the files under harness/, tests/ and tools/ other than the
# table and this test that hold the fixed string PATTERN.
copies_of() {
    grep -rlF --exclude=regions.json --exclude="$(basename "$0")" --exclude-dir=node_modules -e "$1" \
        "$ROOT/harness" "$ROOT/tests" "$ROOT/tools" || true
}

# expect_only PATTERN FILE...: the fixed string is found in these files, and in
# no other under harness/, tests/ and tools/.
expect_only() {
    local pattern=$1 found wanted
    shift
    found=$(copies_of "$pattern" | sed "s|^$ROOT/||" | sort)
    wanted=$(printf '%s\n' "$@" | sort | sed '/^$/d')
    [ "$found" = "$wanted" ] || fail "'$pattern' is in: ${found:-no file}; wanted only: ${wanted:-no file}"
}

# Each region as "X Y W H" and "X, Y, W, H"; each colour test; each condition
# on the dog's share of a colour test in a region, as the shell and node would
# measure it again (`meets` and `conditions` measure it through the table);
# and the meter's measuring points.
while IFS= read -r pattern; do
    expect_only "$pattern"
done < <(jq -r '(.regions[].rect | map(tostring) | join(" "), join(", ")),
    .colours[].test,
    (.conditions[] | select(.share) |
        "$\(.in | ascii_upcase) \"$\(.share | ascii_upcase)_PIXEL\"", "\(.in), \(.share | ascii_upcase)", "\(.in), colours.\(.share)"),
    (.meter | .zero_row, .rows_per_level | tostring)' "$TABLE")
note "ok: the regions, colour tests, conditions and the meter's measuring points are written only in harness/regions.json"

expect_only "Xvfb -displayfd" harness/xvfb.sh
expect_only "xvfb-run"
# The game's clock is set only by the harness; the release test shifts a build's
# clock by a day, which is a job of its own.
expect_only "faketime -f" harness/game.sh tests/release/test_reproducible.sh
note "ok: Xvfb and faketime are set up in one place each"

if grep -rnE '(\.\./|ROOT/)tests/' "$ROOT/tools" >"$E2E_WORK/reaching.txt"; then
    fail "tools reach into tests/: $(cat "$E2E_WORK/reaching.txt")"
fi
note "ok: the tools reach into no test's folder"
