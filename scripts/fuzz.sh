#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 60 s each).
# usage: scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DARKSTASH_FUZZ=ON -DARKSTASH_GUI=OFF \
  -DARKSTASH_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j "$(nproc)" --target $(cd fuzz && ls *.cpp | sed 's/\.cpp$//; s/^/fuzz_/')
for f in fuzz/*.cpp; do
  name=$(basename "$f" .cpp)
  mkdir -p "build-fuzz/corpus/$name"
  echo "== $name"
  "build-fuzz/fuzz_$name" -max_total_time="$secs" -max_len=65536 "build-fuzz/corpus/$name" 2>&1 | tail -n 3
done
