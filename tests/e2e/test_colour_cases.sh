# picture_probe reads the colour tests as harness/regions.js does: each case of
# harness/colour_cases.json passes and fails the pixels it lists, or is refused
# (tests/web/colour_cases.test.js holds regions.js to the same cases); and every
# colour test of regions.json can be read. No game is started.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

# colour TEST R G B: picture_probe's verdict, 1 or 0, or "refused".
colour() {
    "$E2E_TOOLS/picture_probe" colour "$@" 2>/dev/null || echo refused
}

count=0
while IFS=$'\t' read -r wanted pixel test; do
    # shellcheck disable=SC2086 # the pixel is three numbers
    got=$(colour "$test" $pixel)
    [ "$got" = "$wanted" ] || fail "colour test '$test' on ($pixel): got $got, wanted $wanted"
    count=$((count + 1))
done < <(jq -r '.cases[] | .test as $t |
    ((.passes // [])[] | ["1", join(" "), $t]), ((.fails // [])[] | ["0", join(" "), $t]),
    (select(.unreadable) | ["refused", "0 0 0", $t]) | @tsv' "$HARNESS_DIR/colour_cases.json")
[ "$count" -gt 0 ] || fail "no cases read from colour_cases.json"
note "ok: picture_probe agrees with all $count cases"

while read -r test; do
    [ "$(colour "$test" 0 0 0)" != refused ] || fail "picture_probe cannot read regions.json's colour test '$test'"
done < <(jq -r '.colours[].test' "$HARNESS_DIR/regions.json")
note "ok: picture_probe reads every colour test of regions.json"
