#!/usr/bin/env bash
# Pictures of the windows for a look by eye (not committed): the reader with a received channel
# and a rendered article in each shipped skin, the welcome page, a failed channel's tooltip, the
# options dialog and its appearance page, the system settings, the channel and folder
# properties, the cleaning wizard, the message dialog and the notice; then the blog side as its
# window tests leave it: the blog mode with an article in each shipped template, the
# new-account wizard's pages, the account settings sheet, "BLOG设置", the multi-publish dialog
# and the CHM dialog.
#
# Usage: tools/screenshots.sh [OUT_DIR] [BUILD_DIR]   (default: build/screenshots, build)
# Needs xvfb-run, imagemagick (import) and fonts-noto-cjk; the feed comes from a local server.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screenshots}
build=${2:-build}
zirvo="$PWD/$build/src/gui/zirvo"
cli="$PWD/$build/src/cli/zirvo-cli"
for tool in xvfb-run import python3; do
    command -v $tool >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
[ -x "$zirvo" ] && [ -x "$cli" ] || { echo "build zirvo and zirvo-cli first" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/zirvo-shots-XXXXXX")
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export QTWEBENGINE_DISABLE_SANDBOX=1 ZIRVO_NO_DIALOGS=1

# A feed with Chinese and English items, served on a free loopback port.
mkdir -p "$work/site"
python3 - "$work/site/feed.xml" <<'PY'
import sys
items = []
texts = [("开源阅读器的排版与字体", "<p>好的阅读体验来自<b>清晰的排版</b>：合适的行距、字号和对比度。"
          "本文介绍如何为中文内容选择字体，以及在深色模式下保持可读性。</p><p>第二段：链接示例 "
          "<a href='https://example.org/'>example.org</a>。</p>"),
         ("Release notes: faster start-up", "<p>The new version opens large libraries in under a "
          "second and keeps the window responsive while feeds are received.</p>"),
         ("周末读书笔记", "<p>记录一周读过的文章与想法。</p>")]
for i in range(12):
    t, d = texts[i % 3]
    items.append("<item><title>%s (%d)</title><link>http://127.0.0.1/item/%d</link>"
                 "<author>编辑部</author><pubDate>Tue, 08 Dec 2026 0%d:15:00 GMT</pubDate>"
                 "<description><![CDATA[%s]]></description></item>" % (t, i + 1, i, i % 10, d))
open(sys.argv[1], "w", encoding="utf-8").write(
    '<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel><title>示例频道</title>'
    '<link>http://127.0.0.1/</link><description>示例</description>%s</channel></rss>' % "".join(items))
PY
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
server_pid=$!

root="$work/root"
mkdir -p "$root/Storage"
cat > "$root/Storage/rssreader.opml" <<OPML
<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0"><head><title>Zirvo RSS订阅</title></head><body>
<outline title="中文资讯" htmlUrl="" unreadnum="0" expanded="1">
<outline title="示例频道" xmlUrl="http://127.0.0.1:$port/feed.xml" htmlUrl="http://127.0.0.1:$port/" unreadnum="0" expanded="0"/>
<outline title="另一个频道" xmlUrl="http://127.0.0.1:$port/none.xml" htmlUrl="" unreadnum="0" expanded="0"/>
</outline>
<outline title="技术" htmlUrl="" unreadnum="0" expanded="1"/>
</body></opml>
OPML
for _ in 1 2 3 4 5 6 7 8 9 10; do
    python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/feed.xml')" \
        2>/dev/null && break
    sleep 0.3
done
"$cli" --root "$root" receive --all >/dev/null 2>&1 || true

set_value() {  # KEY VALUE in config/appConfig.xml
    python3 - "$root/config/appConfig.xml" "$1" "$2" <<'PY'
import re, sys
path, key, value = sys.argv[1:]
text = open(path, encoding="utf-8").read()
text = re.sub(r"<%s>[^<]*</%s>" % (key, key), "<%s>%s</%s>" % (key, value, key), text, count=1)
open(path, "w", encoding="utf-8").write(text)
PY
}
set_value switchchannelautomakeread 0

shot() {  # NAME [ENV...]: runs zirvo with the environment, takes the picture, ends it
    local name=$1; shift
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        env "$@" "'"$zirvo"'" --root "'"$root"'" >/dev/null 2>&1 &
        pid=$!
        sleep 7
        import -window root "'"$out"'/'"$name"'.png"
        kill $pid 2>/dev/null; wait $pid 2>/dev/null || true' _ "$@"
    echo "   $out/$name.png"
}

echo "== pictures in $out"
shot welcome
for skin in "$root"/Data/RssSkin/*.xsl; do
    name=$(basename "$skin" .xsl)
    set_value articlestyle "$name"
    shot "reader-$name" ZIRVO_SELECT="中文资讯/示例频道" ZIRVO_SHOW_ITEM=1
done
set_value articlestyle 默认
shot folder-list ZIRVO_SELECT="中文资讯"
shot failed-channel ZIRVO_SELECT="中文资讯/另一个频道" ZIRVO_OPEN=tooltip
for window in options appearance system channel folder wizard message notice; do
    shot "$window" ZIRVO_SELECT="中文资讯/示例频道" ZIRVO_OPEN=$window
done

# The blog windows: their tests take the pictures on a real (virtual) display.
for test in gui_library_tree gui_library_accounts gui_ebook gui_editor_view gui_editor_window; do
    binary=$(ls "$PWD/$build"/tests/gui/*/"$test" 2>/dev/null | head -1)
    [ -x "$binary" ] || { echo "   ($test not built: no pictures from it)"; continue; }
    xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb ZIRVO_SCREENSHOTS="$out" \
        ZIRVO_DATA_DIR="$PWD/data" QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu "$binary" \
        >"$work/$test.log" 2>&1 || echo "   $test failed, see its output: $(tail -3 "$work/$test.log")"
done
ls "$out" | sed -n 's/^\(blog\|wizard\|settings\|multi\|ebook\|editor\).*/   &/p'
