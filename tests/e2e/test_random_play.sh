# Random play, as fast as xdotool can send it: pointer moves in and around the
# window, clicks, presses and releases of every button (the wheel too), the
# game's keys, uppercase letters and keys it does not know, and now and then a
# resize to an odd window size. The game must stay up through all of it; at the
# end 'q' (retried, since it is not heard while a throw runs) must end it with
# exit code 0 and no output beyond the twelve start-up lines. Under the
# sanitizer build no sanitizer may report anything either.
#
# The randomness comes from bash's $RANDOM with a fixed seed, printed below;
# PLAY_SEED=N repeats a run, PLAY_SECONDS=N sets the length of the random play
# (75 s unless set). Every batch of actions is written to actions.log in the
# work folder.
set -euo pipefail
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

use_sanitizer_options

PLAY_SEED=${PLAY_SEED:-20240611}
PLAY_SECONDS=${PLAY_SECONDS:-75}
RANDOM=$PLAY_SEED
note "random play for $PLAY_SECONDS s with seed $PLAY_SEED (PLAY_SEED=$PLAY_SEED repeats it)"
ACTIONS_LOG=$E2E_WORK/actions.log
: >"$ACTIONS_LOG"

# Keys: the game's own letters often, then their uppercase forms (which it
# must ignore) and keys it does not know. Never 'q' (nor a chord that types
# it) before the end.
GAME_KEYS=(r m t t)
OTHER_KEYS=(R M T Q a z x space Return Escape BackSpace Tab Delete 1 0 minus
            Up Down Left Right Home End Page_Up F1 F10 shift+m ctrl+r ctrl+t shift+r)
# Odd window sizes: one pixel high or wide, tall, the whole screen, odd widths.
SIZES=("1 1" "1000 1" "1 500" "3 2" "300 700" "1280 1024" "999 501" "1001 500")

random_key() {
    if [ $((RANDOM % 3)) -ne 0 ]; then
        echo "${GAME_KEYS[RANDOM % ${#GAME_KEYS[@]}]}"
    else
        echo "${OTHER_KEYS[RANDOM % ${#OTHER_KEYS[@]}]}"
    fi
}

# random_batch N [LOWEST_BUTTON]: the words of one xdotool command line with N
# random actions, in BATCH. Buttons below LOWEST_BUTTON (1 unless given) are
# not pressed.
MOVES=0 CLICKS=0 BUTTONS=0 KEYS=0 RESIZES=0
random_batch() {
    local count=$1 lowest=${2:-1} i roll
    local buttons=$((6 - lowest))
    BATCH=()
    for ((i = 0; i < count; ++i)); do
        roll=$((RANDOM % 100))
        if [ "$roll" -lt 35 ]; then
            # Mostly inside the window, sometimes a little right of it or
            # below it (xdotool takes no negative window coordinates).
            BATCH+=(mousemove --window "$WIN" $((RANDOM % 1030)) $((RANDOM % 530)))
            MOVES=$((MOVES + 1))
        elif [ "$roll" -lt 50 ]; then
            BATCH+=(click $((RANDOM % (buttons - 2) + lowest)))
            CLICKS=$((CLICKS + 1))
        elif [ "$roll" -lt 60 ]; then
            # A lone press or release of any button, the wheel's included:
            # presses held over later moves make drags.
            if [ $((RANDOM % 2)) -eq 0 ]; then
                BATCH+=(mousedown $((RANDOM % buttons + lowest)))
            else
                BATCH+=(mouseup $((RANDOM % 5 + 1)))
            fi
            BUTTONS=$((BUTTONS + 1))
        else
            BATCH+=(key --delay 1 "$(random_key)")
            KEYS=$((KEYS + 1))
        fi
    done
}

# A resize episode: the window takes an odd size, gets some random actions but
# no left-button press, and gets its size back. No left click while the window
# is odd: the throw's side travel grows with the pointer's column over the
# window's height, so a click in a window one pixel high throws the bone
# thousands of units away, and the dog's run takes many minutes, during which
# 'q' is not heard.
resize_episode() {
    # shellcheck disable=SC2206  # two numbers, split on purpose
    local size=(${SIZES[RANDOM % ${#SIZES[@]}]})
    random_batch 10 2
    BATCH=(windowsize "$WIN" "${size[0]}" "${size[1]}" "${BATCH[@]}" windowsize "$WIN" 1000 500)
    RESIZES=$((RESIZES + 1))
}

# wait_for_new_size: waits until the window is 1000 x 500 again and the game
# has taken that in. GLUT hands a resize to the game only after the events
# already read, just before the next frame: once two later frames have been
# shown (the idle dog or the meter moves in every one), it has.
window_at_size() {
    [ "$(xdotool getwindowgeometry "$WIN" | awk '/Geometry/ {print $2}')" = "1000x500" ]
}
wait_for_new_size() {
    wait_for 60 "the window back at 1000 x 500" window_at_size
    local n
    for n in 1 2; do
        screenshot frame >/dev/null || fail "no screenshot of the window"
        wait_for 60 "frame $n after the resize" frame_changed_from "$E2E_WORK/frame.xwd"
    done
}

start_xvfb
start_game
wait_for_window

# --- the random play ---------------------------------------------------------------

end=$((SECONDS + PLAY_SECONDS))
batches=0 xdotoolErrors=0
while [ "$SECONDS" -lt "$end" ]; do
    resized=0
    if [ $((RANDOM % 25)) -eq 0 ]; then
        resize_episode
        resized=1
    else
        random_batch 20
    fi
    batches=$((batches + 1))
    echo "+$((SECONDS - E2E_START))s batch $batches: ${BATCH[*]}" >>"$ACTIONS_LOG"
    # A release of a button that is not down, or a resize the server refuses,
    # can make xdotool complain: count it, the game is what is tested.
    timeout 20 xdotool "${BATCH[@]}" 2>>"$E2E_WORK/xdotool.log" || xdotoolErrors=$((xdotoolErrors + 1))
    if game_ended; then
        wait "$GAME_PID" 2>/dev/null && GAME_RC=0 || GAME_RC=$?
        GAME_PID=""
        note "the last actions: $(tail -n 1 "$ACTIONS_LOG")"
        expect_no_sanitizer_report
        fail "the game ended (exit code $GAME_RC) during random play, in batch $batches (seed $PLAY_SEED)"
    fi
    if [ "$resized" -eq 1 ]; then
        wait_for_new_size
    fi
done
note "random play done: $batches batches, $MOVES pointer moves, $CLICKS clicks, $BUTTONS lone presses or releases, $KEYS keys, $RESIZES resizes ($xdotoolErrors xdotool complaints)"

# --- back to a known state ------------------------------------------------------------

# Release every button and rest the pointer in the dead zone, then 'r':
# whatever the mode, the dog and the camera are home (or, during a throw, the
# camera never left), and the window is drawn in full.
xdotool mouseup 1 mouseup 2 mouseup 3 mouseup 4 mouseup 5 2>/dev/null || true
point 500 250
home_after_r() {
    local shot
    xdotool key r
    shot=$(screenshot) || return 1
    holds "$(share_of "$shot" $WHOLE_WINDOW "$DRAWN_PIXEL")" '>' 0.9
}
wait_for 90 "the whole window drawn after 'r'" home_after_r
screenshot after_play >/dev/null

# --- 'q' --------------------------------------------------------------------------------

# 'q' is not heard while a throw runs (at most some 15 s, longer on a slow
# display): press 'r' and 'q' until the closing scene has ended the game.
deadline=$(deadline_in 120)
while ! game_ended; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the game did not end within 120 s of pressing 'q' again and again"
    xdotool key r key q 2>/dev/null || true
    sleep 1
done
wait_for_exit 10
expect_clean_exit
