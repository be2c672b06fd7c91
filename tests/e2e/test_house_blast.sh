# Free walk into the house at (5, -15) sets off its blast and blows it away; 'm'
# brings the camera home, from where the house is gone for good.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

# The trees stand clear of the throw and the walks, so none knocked by chance
# changes what the test reads.
use_clock "$CLEAR_OF_TREES"
start_scene
rest=$(screenshot rest)
# Unhidden, the house's brick fills half of its place; a tree in front can
# hide most of it, hence the low bound.
expect "brick share where the house stands" "$(share_of "$rest" $HOUSE "$BRICK_PIXEL")" '>' 0.05

press m
wait_for 60 "the meter hidden in free walk" meter_changed_from "$rest"

# Through the house and on beyond the world: the house has been hit on the way
# and its blast has run its course.
walk_into_house

# Home again: the dog back at the origin, the ground in front as at the start.
press m
wait_for 60 "the camera and the dog home after 'm'" home_view_as "$rest"

# The roof boards flew off sideways, the body rose out of sight and the fading
# sphere has gone: no brick is left anywhere.
wait_for 120 "the house gone" house_gone
sleep 2
after=$(screenshot after)
expect "brick share where the house stood, 2 s later" "$(share_of "$after" $HOUSE "$BRICK_PIXEL")" '<' 0.02
