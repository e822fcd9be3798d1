#!/bin/sh
# Fuzzes the image decoder (every format, whole and row by row) for the given
# number of seconds (default 60) under clang with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, in a build folder of its own. The seeds are
# written by the seed generator; new inputs and crashes stay in the build folder.
#
#   image-io/fuzz/run.sh [seconds]
set -eu

seconds="${1:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${GS_FUZZ_BUILD_DIR:-$root/build-fuzz}"

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DGS_FUZZ=ON -DGS_SANITIZE=ON -DGS_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target image_decode_fuzz image_io_make_seeds

work="$build/fuzz-work/image_decode"
mkdir -p "$work/corpus" "$work/artifacts"
# The encoders used to write the seeds keep a few bytes to the end of the process.
ASAN_OPTIONS=detect_leaks=0 "$build/image-io/image_io_make_seeds" "$work/seeds"
cd "$work"
exec "$build/image-io/image_decode_fuzz" -max_total_time="$seconds" -rss_limit_mb=2560 -timeout=10 \
    -max_len=16384 -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds"
