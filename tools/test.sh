#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through ctest; then builds
# the core tests again with AddressSanitizer and UndefinedBehaviorSanitizer and runs them;
# then runs each fuzz target for 30 seconds (tools/fuzz.sh).
# ZIRVO_SANITIZER_RUN=0 skips the second pass, ZIRVO_FUZZ_RUN=0 the fuzzing,
# ZIRVO_FUZZ_SECONDS changes its time per target.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZIRVO_BUILD_DIR:-build}
jobs=$(nproc)

bash tools/install-deps.sh
echo "== configure ($build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "== build"
cmake --build "$build" -j "$jobs"
echo "== test"
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300

if [ "${ZIRVO_SANITIZER_RUN:-1}" != 0 ]; then
    asan="$build-asan"
    echo "== configure ($asan: AddressSanitizer + UndefinedBehaviorSanitizer)"
    cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZIRVO_SANITIZE=ON \
        -DZIRVO_BUILD_BENCH=OFF >/dev/null
    targets=$(cmake --build "$asan" --target help | sed -n 's/^\(test_[a-z_]*\):.*/\1/p' | sort -u)
    echo "== build core tests with sanitizers"
    # shellcheck disable=SC2086
    cmake --build "$asan" -j "$jobs" --target $targets
    echo "== core tests with sanitizers"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "$asan" --output-on-failure -j "$jobs" --timeout 600 -L core
fi

if [ "${ZIRVO_FUZZ_RUN:-1}" != 0 ]; then
    echo "== fuzz targets, ${ZIRVO_FUZZ_SECONDS:-30}s each"
    ZIRVO_FUZZ_BUILD_DIR="$build-fuzz" bash tools/fuzz.sh "${ZIRVO_FUZZ_SECONDS:-30}"
fi
