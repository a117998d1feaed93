#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in their own build folder and runs each one
# for SECONDS (default 30) from a seed corpus: the inputs under fuzz/seeds/, the test data and,
# when present, the shared feed corpus. Any crash, leak, time-out or sanitizer report fails the
# run; the input that caused it is kept under BUILD/artifacts/. New inputs found on the way stay
# in BUILD/corpus/ for the next run.
#
#   tools/fuzz.sh [SECONDS]     ZIRVO_FUZZ_TARGETS="feed opml" limits the targets,
#                               ZIRVO_FUZZ_BUILD_DIR (default build-fuzz) the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${ZIRVO_FUZZ_BUILD_DIR:-build-fuzz}
read -r -a targets <<<"${ZIRVO_FUZZ_TARGETS:-feed discovery opml rpc_answer backup date hand_over ebook window_message article}"
corpus_dir=../shared/corpus

echo "== configure ($build: clang, libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer)"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZIRVO_BUILD_FUZZ=ON -DZIRVO_BUILD_TESTS=OFF -DZIRVO_BUILD_BENCH=OFF >/dev/null
echo "== build fuzz targets"
cmake --build "$build" -j "${ZIRVO_FUZZ_JOBS:-$(nproc)}" \
    --target "${targets[@]/#/fuzz_}"

# Seed folders of one target, each printed on its own line.
seed_dirs() {
    local target=$1 seeds="$build/seeds/$target"
    rm -rf "$seeds"
    mkdir -p "$seeds"
    [ -d "fuzz/seeds/$target" ] && cp fuzz/seeds/"$target"/* "$seeds"/
    case $target in
        feed)
            find tests/data -type f \( -name '*.rss' -o -name '*.xml' -o -name '*.atom' \
                -o -name '*.rdf' -o -name '*.json' \) -exec cp -t "$seeds" {} +
            [ -d "$corpus_dir/feeds" ] && find "$corpus_dir/feeds" -type f -size -256k \
                -exec cp -t "$seeds" {} +
            ;;
        opml)
            find data tests/data -type f -name '*.opml' -exec cp -t "$seeds" {} +
            [ -d "$corpus_dir" ] && find "$corpus_dir" -type f -name '*.opml' -size -256k \
                -exec cp -t "$seeds" {} +
            ;;
        rpc_answer)
            find data/Data/Templates -type f -name '*.xml' -exec cp -t "$seeds" {} + 2>/dev/null
            ;;
    esac
    echo "$seeds"
}

max_len() {
    case $1 in
        date | hand_over | window_message) echo 512 ;;
        article) echo 16384 ;;
        *) echo 262144 ;;
    esac
}

status=0
for target in "${targets[@]}"; do
    seeds=$(seed_dirs "$target")
    work="$build/corpus/$target"
    mkdir -p "$work" "$build/artifacts"
    echo "== fuzz_$target for ${seconds}s"
    log="$build/fuzz_$target.log"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" \
        -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$work" "$seeds" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "   ok: ${runs:-?} runs"
    else
        echo "   FAILED (log: $log)"
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5 || true
        status=1
    fi
done
exit $status
