#!/bin/sh
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test; any sanitizer report fails the run.
# Extra arguments go to ctest (for example: -L fuzz).
# SANITIZE_JOBS sets the parallel compile and test jobs (default 3: the
# machine is shared); SANITIZE_BUILD the build directory (default
# build-sanitize).
set -e
cd "$(dirname "$0")/.."
build=${SANITIZE_BUILD:-build-sanitize}
jobs=${SANITIZE_JOBS:-3}
if [ ! -f "$build/CMakeCache.txt" ]; then
    gen=""
    command -v ninja >/dev/null 2>&1 && gen="-G Ninja"
    # -O1 keeps the sanitizers' reports exact while compiling far faster than
    # -O0 runs; line tables (-g1) are enough for the reports' file and line
    # and take much less time and disk than full debug information. Debug
    # keeps assertions on. lld links the large test programs in seconds.
    flags="-O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
    ldflags="-fsanitize=address,undefined"
    command -v ld.lld >/dev/null 2>&1 && ldflags="$ldflags -fuse-ld=lld"
    cmake -S . -B "$build" $gen -DCMAKE_BUILD_TYPE=Debug -DOMR_BUILD_BENCH=OFF \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_C_FLAGS_DEBUG="-g1" -DCMAKE_CXX_FLAGS_DEBUG="-g1" \
        -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
fi
cmake --build "$build" -j"$jobs"
export QT_QPA_PLATFORM=offscreen
# Leak checking stays off for the whole run: the memory table keeps value
# pointers packed into record buffers, where the leak checker cannot see
# them, and reports blocks that are still referenced; most test programs
# (memtable, app, dbgrid, gridshot, fuzz) hold such tables.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build" && ctest --output-on-failure --timeout 900 -j"$jobs" "$@"
