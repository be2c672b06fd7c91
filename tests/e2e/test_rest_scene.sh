# The scene at rest, seen from the home view: the dog in its fur at the centre,
# the textured green ground below, the blue cloudy sky above; 't' changes the
# fur, and five presses bring the first fur back.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

start_scene
rest=$(screenshot rest)

# The dog's body: neither ground nor sky nor background, and textured.
expect "ground-coloured share of the dog's body" "$(share_of "$rest" $DOG_BODY "$GREEN_PIXEL")" '<' 0.1
expect "sky-coloured share of the dog's body" "$(share_of "$rest" $DOG_BODY "$SKY_PIXEL")" '<' 0.1
expect "white share of the dog's body" "$(share_of "$rest" $DOG_BODY "$WHITE_PIXEL")" '<' 0.05
expect "fur texture detail on the dog's body" "$(detail_of "$rest" $DOG_BODY)" '>' 0.2

# The ground: green and textured (trees near the eye may hide some of it).
expect "green share of the near ground" "$(share_of "$rest" $GROUND_NEAR "$GREEN_PIXEL")" '>' 0.6
expect "texture detail of the near ground" "$(detail_of "$rest" $GROUND_NEAR)" '>' 0.004

# The sky: blue and clouds, not the white clear colour (tree crowns may hide some).
expect "sky-coloured share of the upper band, right" "$(share_of "$rest" $SKY_RIGHT "$SKY_PIXEL")" '>' 0.1
expect "white share of the upper band" "$(share_of "$rest" $SKY_BAND "$WHITE_PIXEL")" '<' 0.05
# Soft clouds, no blocks: over the open sky of the upper half (trees, the house
# and the meter masked out), at most 0.1 % of the steps between neighbouring
# pixels exceed 4 levels, and the brightness still spreads enough for the
# clouds to show.
read -r overFour largest differing spread < <(steps_of "$rest" $SKY_UPPER_LEFT "$OPEN_SKY_PIXEL" 4)
note "sky steps: largest $largest, share not zero $differing"
expect "share of the open sky's steps over 4 levels" "$overFour" '<=' 0.001
expect "brightness spread of the open sky" "$spread" '>=' 7

# The house stands at (5, -15), right of the dog and further back. (Unhidden,
# its brick fills half the place; a tree in front can hide most of it.)
expect "brick share where the house stands" "$(share_of "$rest" $HOUSE "$BRICK_PIXEL")" '>' 0.05

# 't': the next fur. Only the dog changes.
press t
fur_changed() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(changed_share "$rest" "$shot" $DOG_BODY 40)" '>' 0.5
}
wait_for 60 "change of the dog's fur after 't'" fur_changed
second=$(screenshot second_fur)
expect "changed share of the near ground after 't'" "$(changed_share "$rest" "$second" $GROUND_NEAR 40)" '<' 0.02

# Four more presses run through the furs 3, 4, 0 and back to 1.
press t t t t
fur_back() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(changed_share "$rest" "$shot" $DOG_BODY 40)" '<' 0.1
}
wait_for 60 "the first fur again after five presses of 't'" fur_back
