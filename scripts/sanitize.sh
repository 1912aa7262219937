#!/bin/sh
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-sanitize/ and runs every test; any sanitizer report fails the run.
# Extra arguments go to ctest (for example: -L fuzz).
set -e
cd "$(dirname "$0")/.."
build=build-sanitize
if [ ! -f "$build/CMakeCache.txt" ]; then
    gen=""
    command -v ninja >/dev/null 2>&1 && gen="-G Ninja"
    flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
    cmake -S . -B "$build" $gen -DCMAKE_BUILD_TYPE=Debug -DOMR_BUILD_BENCH=OFF \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build "$build" -j3
export QT_QPA_PLATFORM=offscreen
# Leak checking stays off for the whole run: the memory table keeps value
# pointers packed into record buffers, where the leak checker cannot see
# them, and reports blocks that are still referenced; most test programs
# (memtable, app, dbgrid, gridshot, fuzz) hold such tables.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build" && ctest --output-on-failure --timeout 900 "$@"
