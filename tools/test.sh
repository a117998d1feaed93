#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZIRVO_BUILD_DIR:-build}

bash tools/install-deps.sh
echo "== configure ($build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "== build"
cmake --build "$build" -j "$(nproc)"
echo "== test"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
