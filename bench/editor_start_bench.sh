#!/usr/bin/env bash
# Start-up benchmark of the editor under xvfb: `zirvo-cli article open ID` writes the task and
# starts the editor, as the blog tree does; measured are the time from that command to the
# editor's window being shown, and to its editing page holding the article, for a short article
# and for one of 200 KB. Five runs each; prints every run and the median.
#
# Usage: bench/editor_start_bench.sh [BUILD_DIR]     (needs xvfb-run and python3)
# Target: the window shown < 1000 ms after the start.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$PWD/$build/src/cli/zirvo-cli"
editor="$PWD/$build/src/editor/editor"
[ -x "$cli" ] && [ -x "$editor" ] ||
    { echo "build first: cmake --build $build --target zirvo-cli editor" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (apt-get install xvfb)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zirvo-editor-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
root="$work/root"
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu

echo "== seeding $root: one account, a short draft and a 200 KB draft"
printf 'secret\n' | "$cli" --root "$root" account add --name bench --description bench \
    --api MetaWeblog --encoding UTF-8 --url http://127.0.0.1:9/RPC2 --user u >/dev/null
# The categories are cached, so no start waits for a server.
printf '%s' '<?xml version="1.0" encoding="UTF-8" ?><root><categories><category><title><![CDATA[技术]]></title></category></categories></root>' \
    >"$root/Temp/Categories_bench.xml"
echo '<p>短文 a short article</p>' >"$work/short.html"
python3 - "$work/long.html" <<'PY'
import sys
para = '<p>这是一段用来测量的文字, with some English words mixed in, 第 %d 段。</p>\n'
text, n = '', 0
while len(text.encode()) < 200 * 1024:
    n += 1
    text += para % n
open(sys.argv[1], 'w', encoding='utf-8').write(text)
PY
short=$("$cli" --root "$root" --json article new --account bench --title 短文 \
    --content-file "$work/short.html" | python3 -c 'import json,sys; print(json.load(sys.stdin)[0]["id"])')
long=$("$cli" --root "$root" --json article new --account bench --title 长文 \
    --content-file "$work/long.html" | python3 -c 'import json,sys; print(json.load(sys.stdin)[0]["id"])')

# The editor as the CLI starts it, with its timings on and its pid kept for the end of a run.
cat >"$work/editor-wrapper" <<WRAP
#!/bin/sh
echo \$\$ >"$work/editor.pid"
exec env ZIRVO_TIMINGS=1 "$editor" "\$@" 2>"$work/editor.log"
WRAP
chmod +x "$work/editor-wrapper"

cat >"$work/run.sh" <<'RUN'
#!/usr/bin/env bash
set -euo pipefail
work=$1 cli=$2 root=$3 short=$4 long=$5
for article in short long; do
    id=$short; [ "$article" = long ] && id=$long
    shown_all=() loaded_all=()
    for run in 1 2 3 4 5; do
        rm -f "$work/editor.log" "$work/editor.pid"
        start=$(date +%s%3N)
        ZIRVO_EDITOR="$work/editor-wrapper" "$cli" --root "$root" article open "$id" >/dev/null
        for _ in $(seq 1 600); do
            grep -q "page-loaded" "$work/editor.log" 2>/dev/null && break
            sleep 0.05
        done
        now=$(date +%s%3N)
        at=$(sed -n 's/^editor-timing shown [0-9]* at \([0-9]*\)$/\1/p' "$work/editor.log")
        loaded=$(sed -n 's/^editor-timing page-loaded \([0-9]*\) .*/\1/p' "$work/editor.log")
        inside=$(sed -n 's/^editor-timing shown \([0-9]*\) at .*/\1/p' "$work/editor.log")
        [ -n "$at" ] && [ -n "$loaded" ] || { echo "run $run of $article: no timings"; cat "$work/editor.log"; exit 1; }
        shown=$((at - start))
        # The page time counts from the process start; the launch before it is the difference.
        page=$((loaded + shown - inside))
        printf "   %-5s run %d: window shown %5d ms (in the process %4d ms), page with the article %5d ms\n" \
            "$article" "$run" "$shown" "$inside" "$page"
        shown_all+=("$shown") loaded_all+=("$page")
        kill "$(cat "$work/editor.pid")" 2>/dev/null || true
        while kill -0 "$(cat "$work/editor.pid")" 2>/dev/null; do sleep 0.05; done
    done
    median() { printf '%s\n' "$@" | sort -n | sed -n 3p; }
    printf '== %s article: median window shown %d ms (target < 1000), page %d ms\n' \
        "$article" "$(median "${shown_all[@]}")" "$(median "${loaded_all[@]}")"
done
RUN
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 1280x800x24" "$work/run.sh" "$work" "$cli" "$root" "$short" "$long"
