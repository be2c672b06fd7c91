#!/usr/bin/env bash
# Builds the BMP reader's fuzzer with clang and runs it for SECONDS on a copy of
# the seed corpus. Exits non-zero if the build fails or the fuzzer finds a crash,
# a leak, a timeout or an allocation past the limit; the input that did it is
# left in BUILD_DIR as crash-*, leak-*, timeout-* or oom-*.
# Usage: tests/fuzz/run_fuzz.sh BUILD_DIR SECONDS
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mkdir -p "$1"
build=$(cd "$1" && pwd)
seconds=$2

runtime() { echo "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a"; }
if ! command -v clang++ >/dev/null || [ ! -f "$(runtime)" ]; then
  apt-get update
  apt-get install -y clang libclang-rt-14-dev
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DFETCH_FUZZ=ON -DFETCH_TESTS=OFF -DFETCH_WERROR=ON
cmake --build "$build" --target fuzz_bmp -j2

corpus=$build/fuzz-corpus
rm -rf "$corpus"
mkdir -p "$corpus"
cp "$here"/corpus/*.bmp "$corpus"/

# The largest picture the reader accepts is 256 MiB; no input of 4 KiB may make
# it allocate more than that.
"$build/tests/fuzz/fuzz_bmp" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
  -malloc_limit_mb=300 -timeout=10 -print_final_stats=1 -artifact_prefix="$build/" "$corpus"
