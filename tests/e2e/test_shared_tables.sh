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

while read -r _ rect; do
    expect_only "$rect"
    expect_only "${rect// /, }"
done < <(jq -r '.regions | to_entries[] | "\(.key) \(.value.rect | map(tostring) | join(" "))"' "$TABLE")
while read -r test; do
    expect_only "$test"
done < <(jq -r '.colours[].test' "$TABLE")
# A condition on the dog is measured only through `meets` (the shell) and
# `conditions` (node): its region's share of its colour test is taken nowhere
# else, and the meter's measuring points are written nowhere else.
while read -r region colour; do
    expect_only "\$${region^^} \"\$${colour^^}_PIXEL\""
    expect_only "$region, ${colour^^}"
    expect_only "$region, colours.$colour"
done < <(jq -r '.conditions[] | select(.share) | "\(.in) \(.share)"' "$TABLE")
while read -r number; do
    expect_only "$number"
done < <(jq -r '.meter | .zero_row, .rows_per_level' "$TABLE")
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
