#!/bin/bash
# Builds the fuzz targets and gives each a short pass (default two minutes)
# over the saved corpus and the project's scripts. Any crash, leak, sanitizer
# report or hang fails the script; the input is left in build-fuzz/.
#   tests/fuzz/ci-fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-120}

cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DPELORN_FUZZ=ON -DPELORN_TESTS=OFF -DPELORN_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_compile fuzz_run

# New inputs go to a scratch folder: the saved corpus only changes by hand.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Script tests that exhaust a limited address space on purpose would only
# meet the fuzzer's own memory limit here: they are left out of the seeds.
mkdir -p "$scratch/scripts"
for script in tests/scripts/*.scr; do
    grep -q '// address space:' "$script" || cp "$script" "$scratch/scripts/"
done
for target in compile run; do
    mkdir -p "$scratch/$target"
    # Sizes up to the 2 GiB that strings and byte arrays may hold are legal.
    nice -n 19 build-fuzz/fuzz_$target -dict=tests/fuzz/pelorn.dict -max_total_time="$seconds" \
        -timeout=60 -rss_limit_mb=6144 -malloc_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix=build-fuzz/ "$scratch/$target" tests/fuzz/corpus/$target \
        "$scratch/scripts" examples tests/card/scripts
done
