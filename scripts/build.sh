#!/bin/sh
# Configures and builds into ./build (Ninja when present).
set -e
cd "$(dirname "$0")/.."
gen=""
command -v ninja >/dev/null 2>&1 && gen="-G Ninja"
[ -f build/CMakeCache.txt ] || cmake -S . -B build $gen -DCMAKE_BUILD_TYPE=RelWithDebInfo
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build build --parallel "$jobs"
