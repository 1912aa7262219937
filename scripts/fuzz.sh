#!/bin/sh
# Fuzzes one reader of outside input: scripts/fuzz.sh TARGET SECONDS
# Builds the libFuzzer programs with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ (installing clang and its
# runtime when missing) and runs TARGET for SECONDS seconds on one core.
# New inputs go to build-fuzz/corpus/TARGET; the seeds in fuzz/corpus/TARGET
# are read, never written. A crash, hang or out-of-memory leaves its input in
# build-fuzz/artifacts/TARGET/; copy it into fuzz/corpus/TARGET once mended.
# Targets: scanner savedlines settings csv filter snapshot project lzw gridcells gridlayout indexkeys
#          savedfiles scanwork metafile module richtext picture gridform dbgridlayout
set -e
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
[ -d "fuzz/corpus/$target" ] || { echo "no such target: $target" >&2; exit 2; }

runtime=$(clang -print-resource-dir 2>/dev/null)/lib/linux/libclang_rt.fuzzer-x86_64.a
if ! command -v clang++ >/dev/null 2>&1 || [ ! -f "$runtime" ]; then
    apt-get install -y --no-install-recommends clang libclang-rt-dev
fi

build=build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
    gen=""
    command -v ninja >/dev/null 2>&1 && gen="-G Ninja"
    flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link"
    CC=clang CXX=clang++ cmake -S . -B "$build" $gen -DCMAKE_BUILD_TYPE=Debug \
        -DOMR_BUILD_TESTS=OFF -DOMR_BUILD_BENCH=OFF -DOMR_FUZZERS=ON \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build "$build" -j3 --target "fuzz_$target"

mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
export QT_QPA_PLATFORM=offscreen
# The memory table packs value pointers in ways the leak checker cannot
# follow, so leak checking stays off.
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target/" \
    "$build/corpus/$target" "fuzz/corpus/$target"
