# The one way the tests and tools start a private X server. Source it; it
# defines xvfb_start and xvfb_stop and keeps the server's process id in
# XVFB_PID. (harness/with_xvfb.sh wraps it around a single command.)
#
# Xvfb picks a free display itself and reports it on a descriptor
# (-displayfd), so parallel runs never collide. It must not reset when its last
# client leaves (-noreset): a game started while it resets, as after an earlier
# game or a probe has gone, fails to open the display now and then. GLX is on,
# for Mesa's software renderer; the screen is larger than the game's window.

XVFB_PID=""

# xvfb_start DIR: starts Xvfb (its log and display file in DIR), waits until it
# answers a client, and exports DISPLAY. A server that reports its display but
# takes no client is replaced, up to three times; then it says why on standard
# error and returns 1.
xvfb_start() {
    local dir=$1 attempt
    for attempt in 1 2 3; do
        if xvfb_launch "$dir"; then
            return 0
        fi
        echo "Xvfb (attempt $attempt) does not take clients: $(tail -n 2 "$dir/xvfb.log" | tr '\n' ' ')" >&2
        xvfb_stop
    done
    echo "no Xvfb took clients in three attempts" >&2
    return 1
}

# xvfb_launch DIR: one attempt: starts Xvfb and waits until it names its
# display and answers a client there; returns 1 if it ends or stays silent.
xvfb_launch() {
    local dir=$1
    local displayFile=$dir/xvfb.display
    : >"$displayFile"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 +extension GLX -nolisten tcp -noreset \
        3>"$displayFile" >"$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local deadline=$((SECONDS + 60))
    until grep -q '^[0-9][0-9]*$' "$displayFile"; do
        kill -0 "$XVFB_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
    export DISPLAY=":$(cat "$displayFile")"
    deadline=$((SECONDS + 30))
    until timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1; do
        kill -0 "$XVFB_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
    kill -0 "$XVFB_PID" 2>/dev/null
}

# xvfb_stop: ends the server, if it runs.
xvfb_stop() {
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    XVFB_PID=""
}
