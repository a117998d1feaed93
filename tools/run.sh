#!/usr/bin/env bash
# Installs what is missing, builds, seeds a data root and starts the main program on it.
# Usage: tools/run.sh [DATA_ROOT]   (default: ./build/demo-root)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZIRVO_BUILD_DIR:-build}
root=${1:-$PWD/$build/demo-root}

bash tools/install-deps.sh
echo "== configure ($build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "== build"
cmake --build "$build" -j "$(nproc)" --target zirvo zirvo-cli
# The page view's sandbox cannot start as root (containers, CI).
if [ "$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
echo "== start zirvo on $root"
exec "$build/src/gui/zirvo" --root "$root"
