#!/usr/bin/env bash
# Start-up benchmark of the main window. First the fixed cost, on an empty data root: five starts
# that show the welcome page and close after 2 s, each with the time until the window is shown,
# until the page has loaded, and the CPU time of the whole start (every process of it, the web
# engine's helpers too, counted by `perf stat` when it is installed, else only the processes that
# were waited for). Then a big data root: 1,000 channels in 50 folders and 1,000,000 items
# written straight into Storage/rss.db: the time until the window is shown, until the tree is
# loaded and the first list filled, and the time of switching between two channels of 1,000
# items and between two folders (20 channels, 8,000 rows listed).
#
# Usage: bench/startup_bench.sh [BUILD_DIR]     (needs xvfb-run and python3)
# Targets on a 2-core machine: window < 1500 ms, channel switch < 50 ms, folder switch < 200 ms;
# an empty root clearly below the 0.49 s of CPU that a Qt reader with a web view takes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
zirvo="$build/src/gui/zirvo"
cli="$build/src/cli/zirvo-cli"
[ -x "$zirvo" ] && [ -x "$cli" ] ||
    { echo "build first: cmake --build $build --target zirvo zirvo-cli" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (apt-get install xvfb)" >&2; exit 1; }

root=$(mktemp -d "${TMPDIR:-/tmp}/zirvo-startup-bench-XXXXXX")
empty=$(mktemp -d "${TMPDIR:-/tmp}/zirvo-startup-empty-XXXXXX")
trap 'rm -rf "$root" "$empty"' EXIT
export QTWEBENGINE_DISABLE_SANDBOX=1 ZIRVO_NO_DIALOGS=1

echo "== empty root: 5 starts (load average $(cut -d' ' -f1-3 /proc/loadavg))"
xvfb-run -a -s "-screen 0 1280x800x24" env ZIRVO_QUIT_AFTER_MS=0 "$zirvo" --root "$empty" \
    >/dev/null 2>&1 || true
python3 - "$zirvo" "$empty" <<'PY'
import resource, shutil, statistics, subprocess, sys, tempfile
zirvo, root = sys.argv[1:3]
perf = shutil.which("perf")
shown, page, cpu = [], [], []
for run in range(5):
    with tempfile.NamedTemporaryFile("r", suffix=".perf") as counts:
        command = ["env", "ZIRVO_TIMINGS=1", "ZIRVO_QUIT_AFTER_MS=2000", zirvo, "--root", root]
        if perf:
            command = [perf, "stat", "-x,", "-e", "task-clock", "-o", counts.name] + command
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        out = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x800x24"] + command,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        if perf:
            for line in counts.read().splitlines():
                if "task-clock" in line:
                    seconds = float(line.split(",")[0]) / 1000.0
    times = dict(line.split()[1:3] for line in out.splitlines() if line.startswith("zirvo-timing "))
    if "window-shown" not in times or "page-loaded" not in times:
        sys.exit("no figures:\n" + out)
    shown.append(int(times["window-shown"]))
    page.append(int(times["page-loaded"]))
    cpu.append(seconds)
    print("   run %d: window shown %4d ms, page loaded %4d ms, CPU %.2f s"
          % (run + 1, shown[-1], page[-1], cpu[-1]))
print("empty root: median window shown %d ms, page loaded %d ms, CPU %.2f s (%s)"
      % (statistics.median(shown), statistics.median(page), statistics.median(cpu),
         "every process, perf stat" if perf else "waited processes only"))
PY

echo "== seeding $root (the program creates the stores, then 1,000,000 items go straight in)"
xvfb-run -a -s "-screen 0 1280x800x24" env ZIRVO_QUIT_AFTER_MS=0 "$zirvo" --root "$root" \
    >/dev/null 2>&1 || true
python3 - "$root" <<'PY'
import sqlite3, sys, time, re
root = sys.argv[1]
folders, per_folder, items = 50, 20, 1000
# No receiving while measuring, no read marks on switching, every item listed.
cfg = root + "/config/appConfig.xml"
text = open(cfg, encoding="utf-8").read()
for key, value in (("startupautoreceive", "0"), ("autoreceive", "0"),
                   ("switchchannelautomakeread", "0"), ("whenexitrememberunreadnum", "0")):
    text = re.sub(r"<%s>[^<]*</%s>" % (key, key), "<%s>%s</%s>" % (key, value, key), text)
open(cfg, "w", encoding="utf-8").write(text)
lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<opml version="1.0">',
         '<head><title>bench</title></head>', '<body>']
for f in range(folders):
    lines.append('<outline title="目录%02d" htmlUrl="" unreadnum="0" expanded="1">' % f)
    for c in range(per_folder):
        n = f * per_folder + c
        lines.append('<outline title="频道%04d" xmlUrl="http://127.0.0.1:9/feed-%d.xml" '
                     'htmlUrl="" unreadnum="0" expanded="0"/>' % (n, n))
    lines.append('</outline>')
lines += ['</body>', '</opml>']
open(root + "/Storage/rssreader.opml", "w", encoding="utf-8").write("\n".join(lines))
db = sqlite3.connect(root + "/Storage/rss.db")
# The full-text triggers need the store's own tokenizer, which Python's sqlite3 lacks: the
# items go in without them, and zirvo-cli then builds the index as for a store from before it.
fts_triggers = [sql for (sql,) in db.execute(
    "SELECT sql FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'rss_data_fts_%'")]
for (name,) in db.execute(
        "SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'rss_data_fts_%'"
        ).fetchall():
    db.execute("DROP TRIGGER %s" % name)
start = time.time()
db.execute("BEGIN")
db.executemany("INSERT INTO feed_data (feed_id, feed_url) VALUES (?, ?)",
               [(n + 1, "http://127.0.0.1:9/feed-%d.xml" % n) for n in range(folders * per_folder)])
body = "<p>" + "正文 text " * 40 + "</p>"
def rows():
    for n in range(folders * per_folder):
        for i in range(items):
            yield (n + 1, 0, 1 if i % 3 else 0, "http://127.0.0.1:9/%d/%d" % (n, i),
                   "文章 %d of channel %d" % (i, n), "author", body,
                   "2026-%d-%.2d 10:%.2d:00" % (1 + i % 12, 1 + i % 28, i % 60))
db.executemany("INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, item_title, "
               "item_author, item_description, item_pubDate) VALUES (?,?,?,?,?,?,?,?)", rows())
db.execute("DELETE FROM rssfts_build")
db.execute("INSERT INTO rssfts_build (build_done, build_end) SELECT 0, MAX(item_id) FROM rss_data")
for sql in fts_triggers:
    db.execute(sql)
db.execute("COMMIT")
db.execute("ANALYZE")
db.close()
print("   seeded %d items in %.1f s" % (folders * per_folder * items, time.time() - start))
PY
"$cli" --root "$root" search zirvobench >/dev/null 2>&1 || true  # builds the search index

echo "== running zirvo under xvfb-run (5 rounds of switches)"
select="目录00/频道0000;目录00/频道0001;目录00/频道0000;目录00/频道0001;目录01;目录02;目录01;目录02"
out=$(xvfb-run -a -s "-screen 0 1280x800x24" env ZIRVO_TIMINGS=1 ZIRVO_SELECT="$select" \
      ZIRVO_SELECT_ROUNDS=5 ZIRVO_QUIT_AFTER_MS=200 "$zirvo" --root "$root" 2>&1 >/dev/null || true)
echo "$out" | grep '^zirvo-timing' >/dev/null || { echo "$out" >&2; echo "no figures" >&2; exit 1; }
echo "$out" | python3 -c '
import sys, statistics
shown = first = None
chan, fold = [], []
for line in sys.stdin:
    if not line.startswith("zirvo-timing "):
        continue
    parts = line.split()
    name, ms = " ".join(parts[1:-1]), int(parts[-1])
    if name == "window-shown": shown = ms
    elif name == "first-list-filled": first = ms
    elif name.startswith("select "):
        (chan if "/" in name else fold).append(ms)
# The very first selection includes the first list; it is reported on its own.
chan = chan[1:]
print("window shown (ms):                %s" % shown)
print("tree + first list filled (ms):    %s" % first)
print("channel switch, 1,000 items (ms): median %d, max %d over %d" % (statistics.median(chan), max(chan), len(chan)))
print("folder switch, 20 channels (ms):  median %d, max %d over %d" % (statistics.median(fold), max(fold), len(fold)))
'
