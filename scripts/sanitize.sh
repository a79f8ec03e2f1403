#!/usr/bin/env bash
# Builds the core with AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DARKSTASH_SANITIZE=ON -DARKSTASH_GUI=OFF \
  -DARKSTASH_BENCH=OFF -DARKSTASH_WERROR=ON
cmake --build build-asan -j "$(nproc)"
cd build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$(nproc)"
