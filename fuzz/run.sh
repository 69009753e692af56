#!/usr/bin/env bash
# Builds the BMP decoder's fuzzer with clang (AddressSanitizer, UndefinedBehaviorSanitizer
# and coverage for the whole system library) in build-fuzz/, seeds it with the generated
# BMP conformance corpus (and the public one, when it lies beside the checkout) and runs
# it for about a minute. Exits non-zero on any finding; the input that caused it lands
# in build-fuzz/fuzz-artifacts/.
#
#   ISLAND_SHARED_DIR    the shared folder with testdata/ (default: ../shared beside the checkout)
#   ISLAND_FUZZ_SECONDS  run time (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
shared=${ISLAND_SHARED_DIR:-$root/../shared}
public=$shared/testdata/bmpsuite
seconds=${ISLAND_FUZZ_SECONDS:-60}
build=$root/build-fuzz

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DISLAND_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
      -DISLAND_SHARED_DIR="$shared" >/dev/null
cmake --build "$build" --target dib_fuzzer island_bmp_corpus -j "$(nproc)"

seeds=("$build/bmp_corpus")
if [ -d "$public/g" ]; then
    seeds+=("$public/g" "$public/q" "$public/b")
else
    echo "fuzz/run.sh: no public BMP corpus at $public; seeding with the generated one alone"
fi

corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# New inputs go to the first folder; the corpus folders are only read.
"$build/fuzz/dib/dib_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "${seeds[@]}"
