#!/usr/bin/env bash
# Builds the mesh-reader fuzz target with clang in its own build folder and
# runs it for a bounded time (FUZZ_SECONDS, 30 by default). A crash, a hang
# of one input, an unsound result or an absurd allocation fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
build=build-fuzz

# A folder configured with another compiler cannot be switched to clang.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVIK_BUILD_FUZZERS=ON -DMORVIK_BUILD_TESTS=OFF > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" --target fuzz_readers

corpus="$build/fuzz_corpus"
mkdir -p "$corpus"
log="$build/fuzz.log"
echo "Fuzzing the mesh readers for $seconds seconds"
if ! "$build/tools/fuzz_readers/fuzz_readers" "$corpus" tools/fuzz_readers/seeds \
    -dict=tools/fuzz_readers/readers.dict -max_total_time="$seconds" -max_len=4096 \
    -timeout=5 -rss_limit_mb=1024 -malloc_limit_mb=64 -artifact_prefix="$build/" \
    -print_final_stats=1 > "$log" 2>&1; then
  tail -n 60 "$log"
  echo "fuzz_readers failed; the input that failed is in $build/ (crash-*, timeout-*, oom-*)"
  exit 1
fi
grep -E '^stat::number_of_executed_units|^Done' "$log" || true
echo "fuzz_readers: no failure"
