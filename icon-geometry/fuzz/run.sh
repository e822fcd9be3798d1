#!/bin/sh
# Fuzzes the readers of outside input (SVG, model JSON) for a given time under
# clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, in a
# build folder of its own.
# Each target runs for the given number of seconds (default 60), one after the
# other. New inputs go to a working corpus inside the build folder; the seed
# corpus in the source tree is only read. Crashes are written beside it.
#
#   icon-geometry/fuzz/run.sh [seconds] [target ...]
#
# Targets default to path_data, svg_document, model_input and icon_drawing; any target
# registered with gs_add_fuzzer can be named. GS_FUZZ_BUILD_DIR chooses the build folder.
set -eu

seconds="${1:-60}"
[ $# -gt 0 ] && shift
targets="${*:-path_data svg_document model_input icon_drawing}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${GS_FUZZ_BUILD_DIR:-$root/build-fuzz}"

# The library is instrumented for coverage too, so that libFuzzer sees into it.
cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DGS_FUZZ=ON -DGS_SANITIZE=ON -DGS_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
for target in $targets; do
    cmake --build "$build" --target "${target}_fuzz"
done

status=0
for target in $targets; do
    work="$build/fuzz-work/$target"
    mkdir -p "$work/corpus" "$work/artifacts"
    dictionary=""
    [ -f "$here/$target.dict" ] && dictionary="-dict=$here/$target.dict"
    echo "== $target: $seconds s"
    (cd "$work" && "$build/icon-geometry/${target}_fuzz" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/" $dictionary \
        "$work/corpus" "$here/corpus/$target") || status=1
done
exit $status
