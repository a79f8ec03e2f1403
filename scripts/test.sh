#!/usr/bin/env bash
# Runs every test: the core, the command line against the examples, the Qt views offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j "$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 900
