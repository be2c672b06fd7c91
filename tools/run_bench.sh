#!/usr/bin/env bash
# Frame-time benchmark: builds frame_bench and frame_bench_null, runs the real
# one on a private Xvfb (Mesa's software renderer) and the no-op one without a
# display, and prints one table:
#
#   scene | ms/frame | fps | game code % | driver % | precompiled ms/frame | precompiled fps
#
# ms/frame is the median time of display() + glFinish() with the real GL;
# "game code %" is the no-op build's median frame time (the game's own code,
# every GL/GLU/GLUT call returning at once) over that; "driver %" is the rest:
# GL, GLU's and GLUT's tessellation, the driver and the rasteriser. The
# precompiled columns replay one frame of the same scene from a display list
# (glCallList + swap + glFinish): the same picture without the game's code and
# without tessellating anew, a floor for what drawing it costs.
#
# Usage: tools/run_bench.sh [BUILD_DIR]     (default: build, next to this folder)
#   FRAMES=N   timed frames per scene for the real build (default 30)
# Installs nothing: ./test installs Xvfb and xdotool, with which
# harness/with_xvfb.sh starts the private X server. The figures depend on the
# machine and on what else runs on it; the load average is printed with them.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build}
FRAMES=${FRAMES:-30}


echo "== Building the benchmark in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFETCH_BENCH=ON >/dev/null
cmake --build "$BUILD" --target frame_bench frame_bench_null images >/dev/null

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The benchmark's game plays no sound (see harness/no-sound.conf).
export ALSOFT_CONF=$ROOT/harness/no-sound.conf

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
echo "== The game's own code (no-op GL)"
"$BUILD/frame_bench_null" --run-dir "$BUILD/run" | grep -v '^trying to load ' | tee "$WORK/null.txt"
echo "== Real GL on Xvfb, $FRAMES timed frames per scene"
"$ROOT/harness/with_xvfb.sh" "$BUILD/frame_bench" --run-dir "$BUILD/run" --frames "$FRAMES" |
    grep -v '^trying to load ' | tee "$WORK/real.txt"
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "== Frame times (medians), window 1000 x 500"
sed -n 's/^# renderer: /renderer: /p; s/^# version: /GL version: /p' "$WORK/real.txt"
echo "CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) logical cores"
echo "load average: $LOAD_BEFORE before, $LOAD_AFTER after"
echo
# Scene rows are the lines after the header; columns: scene ms fps mean pre-ms pre-fps.
awk '
    FNR == 1 { file++ }
    /^#/ || $1 == "scene" { next }
    file == 1 { nullMs[$1] = $2; next }
    { order[++n] = $1; ms[$1] = $2; fps[$1] = $3; preMs[$1] = $5; preFps[$1] = $6 }
    END {
        printf "| %-8s | %9s | %6s | %11s | %8s | %20s | %15s |\n", "scene", "ms/frame", "fps",
               "game code %", "driver %", "precompiled ms/frame", "precompiled fps"
        printf "|----------|-----------|--------|-------------|----------|----------------------|-----------------|\n"
        for (i = 1; i <= n; i++) {
            s = order[i]
            game = (s in nullMs && ms[s] > 0) ? 100 * nullMs[s] / ms[s] : -1
            printf "| %-8s | %9.1f | %6.1f | %11s | %8s | %20.1f | %15.1f |\n", s, ms[s], fps[s],
                   game < 0 ? "?" : sprintf("%.4f", game), game < 0 ? "?" : sprintf("%.4f", 100 - game),
                   preMs[s], preFps[s]
        }
    }' "$WORK/null.txt" "$WORK/real.txt"
echo
echo "The game's own code per frame (no-op GL, median):"
awk '/^#/ || $1 == "scene" { next } { printf "  %-8s %.1f us\n", $1, 1000 * $2 }' "$WORK/null.txt"
