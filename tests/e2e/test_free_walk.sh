# Free walk: 'm' hides the meter; the pointer's place relative to the window's
# centre walks the dog and the camera follows; inside the dead zone (both
# steering values within 1.5) the dog stands; 'r' brings dog and camera home
# and 'm' leaves free walk.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

# The scenery left and right of the dog (which, turned sideways, reaches about
# 100 pixels from the centre): ground and tree feet below the horizon, for the
# sky turns slowly on its own. The ground's bands differ by only a few levels,
# hence the low tolerance.
SCENERY_LEFT="0 270 380 230"
SCENERY_RIGHT="620 270 380 230"
TOLERANCE=8

# The trees stand clear of the throw and the walks, so none knocked by chance
# changes what the test reads.
use_clock "$CLEAR_OF_TREES"
start_scene
rest=$(screenshot rest)

press m
wait_for 60 "the meter hidden in free walk" meter_changed_from "$rest"
home=$(screenshot home)

view_left_moved_from() {   # view_left_moved_from SHOT: the scenery has shifted since SHOT
    local shot
    shot=$(screenshot) || return 1
    holds "$(changed_share "$1" "$shot" $SCENERY_LEFT $TOLERANCE)" '>' 0.2
}
view_still() {   # two screenshots a second apart show the same scenery
    local first second
    first=$(screenshot first) || return 1
    sleep 1
    second=$(screenshot) || return 1
    holds "$(changed_share "$first" "$second" $SCENERY_LEFT $TOLERANCE)" '<' 0.01 &&
        holds "$(changed_share "$first" "$second" $SCENERY_RIGHT $TOLERANCE)" '<' 0.01
}

# Up and left of the centre: steering (-2.99, 3.01), the dog walks away to the left.
point 350 99
wait_for 60 "the view shifting as the dog walks" view_left_moved_from "$home"
walking=$(screenshot walking)
wait_for 30 "the view shifting on" view_left_moved_from "$walking"

# Back to the centre: the dead zone stops the walk.
point 500 250
wait_for 60 "the walk stopping in the dead zone" view_still

# The dead zone's edge: at row 175 steerY is 1.49 and the dog stands; at row
# 173 it is 1.53, outside, and the dog walks straight away from the camera.
point 500 175
sleep 2
wait_for 60 "the dog standing with steerY 1.49" view_still
stopped=$(screenshot stopped)
point 500 173
wait_for 60 "the dog walking with steerY 1.53" view_left_moved_from "$stopped"

# 'r' brings the dog and the camera home (and the trees up) in free walk; with
# the pointer at the centre the dog stays there.
point 500 250
press r
at_home() {
    local shot
    shot=$(screenshot) || return 1
    holds "$(changed_share "$home" "$shot" $SCENERY_LEFT $TOLERANCE)" '<' 0.03 &&
        holds "$(changed_share "$home" "$shot" $SCENERY_RIGHT $TOLERANCE)" '<' 0.03
}
wait_for 60 "the home view again after 'r'" at_home

# 'm' leaves free walk: the meter is back.
press m
wait_for 60 "the meter back after leaving free walk" meter_changed_from "$home"
expect "changed share of the scenery left of the dog, against the home view" \
    "$(changed_share "$home" "$E2E_WORK/latest.xwd" $SCENERY_LEFT $TOLERANCE)" '<' 0.03
