# The sound of the real game. With no sound device (the harness's own OpenAL
# configuration, which names an ALSA device that is not there and makes the
# libraries complain) the game prints its twelve load lines and nothing on
# stderr, and 'q' still ends it with 0. Then with OpenAL Soft's wave writer
# (this test's configuration): one throw to the left and 'q'. The WAV it writes
# is silent until the click and sounds within a few frames of it; whoosh,
# landing, bark and the two barks come as separate bursts, the landing louder
# on the left, and the closing scene sounds after 'q'.
source "$(dirname "$0")/../../harness/e2e.sh" "$@"

# --- no device ----------------------------------------------------------------------
start_xvfb
(cd "$E2E_GAME_DIR" && exec "$E2E_FETCH" </dev/null >"$E2E_WORK/stdout.log" 2>"$E2E_WORK/stderr.log") &
GAME_PID=$!
wait_for_window
press q
wait_for_exit 120
[ "$GAME_RC" -eq 0 ] || fail "with no sound device 'q' ended the game with $GAME_RC"
[ "$(cat "$E2E_WORK/stdout.log")" = "$(load_lines)" ] || fail "stdout is not the twelve load lines: $(head -c 400 "$E2E_WORK/stdout.log")"
[ ! -s "$E2E_WORK/stderr.log" ] || fail "stderr is not empty: $(head -c 400 "$E2E_WORK/stderr.log")"
note "ok: with no sound device, the twelve load lines, an empty stderr and exit code 0"

# --- the wave writer ------------------------------------------------------------------
WAV=$E2E_WORK/heard.wav
printf '[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\nfrequency=44100\n[wave]\nfile=%s\n' "$WAV" \
    >"$E2E_WORK/alsoft-wave.conf"
export ALSOFT_CONF=$E2E_WORK/alsoft-wave.conf

# A fixed clock plants the same trees every time, clear of home and of the
# wedge to the left where the bone lands and the dog runs, so no tree's crash
# mixes into the bursts counted below.
use_clock "$CLEAR_OF_TREES"
start_game
wait_for_window
wait_for 180 "the start-up settled (the meter at 0.24)" settled
wait_for 180 "the meter between 0.24 and 0.45" meter_between 0.24 0.45

wav_seconds() { "$E2E_TOOLS/wav_probe" seconds "$WAV"; }
clicked=$(wav_seconds)
click 300 250
wait_for 90 "the dog gone from home (only ground where its legs stood)" dog_away
wait_for 150 "the dog back home and at rest" dog_home_still
quit_at=$(wav_seconds)
press q
wait_for_exit 120
[ "$GAME_RC" -eq 0 ] || fail "'q' ended the game with $GAME_RC"
mapfile -t expected < <(load_lines)
expect_output "${expected[@]}"

"$E2E_TOOLS/wav_probe" bursts "$WAV" >"$E2E_WORK/bursts.txt"
note "the click at ${clicked} s, 'q' at ${quit_at} s; bursts (start end left-dB right-dB):"
sed 's/^/    | /' "$E2E_WORK/bursts.txt" >&2
first=$(awk 'NR == 1 {print $1}' "$E2E_WORK/bursts.txt")
[ -n "$first" ] || fail "the WAV holds no sound at all"
expect "the first sound, after the click" "$first" '>=' "$clicked"
expect "the first sound, seconds after the click" "$(awk -v a="$first" -v b="$clicked" 'BEGIN {print a - b}')" '<' 1.0
expect "bursts between the click and 'q' (whoosh, landing, bark, two barks)" \
    "$(awk -v q="$quit_at" '$1 < q' "$E2E_WORK/bursts.txt" | wc -l)" '>=' 4
expect "bursts after 'q' (the engine and the blast)" \
    "$(awk -v q="$quit_at" '$1 >= q' "$E2E_WORK/bursts.txt" | wc -l)" '>=' 1
expect "the landing's left channel over its right, in dB" \
    "$(awk 'NR == 2 {print $3 - $4}' "$E2E_WORK/bursts.txt")" '>' 3
