#!/usr/bin/env bash
# Installs the build tree into a temporary DESTDIR with prefix /usr and checks what lands where:
# the programs, the shipped data, the desktop entries (validated), the AppStream metainfo
# (validated) and the icons in the hicolor theme; nothing named `editor` on the command path.
#
# Usage: install_test.sh BUILD_DIR HAS_EDITOR   (HAS_EDITOR: 1 when the editor program is built)
set -euo pipefail
build=$1
has_editor=${2:-0}
dest=$(mktemp -d "${TMPDIR:-/tmp}/zirvo-install-XXXXXX")
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The tree is configured with its own prefix; an install for a package takes /usr.
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

expected=(
    usr/bin/zirvo
    usr/bin/zirvo-cli
    usr/share/zirvo/ErrorMsg.xml
    usr/share/zirvo/BSP.xml
    usr/share/zirvo/config/appConfig.xml
    usr/share/zirvo/Storage/rssreader.opml
    usr/share/applications/org.zirvo.Zirvo.desktop
    usr/share/metainfo/org.zirvo.Zirvo.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/zirvo.svg
    usr/share/icons/hicolor/scalable/apps/zirvo-editor.svg
)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/zirvo.png")
done
if [ "$has_editor" = 1 ]; then
    expected+=(usr/lib/zirvo/editor usr/share/applications/org.zirvo.Zirvo.Editor.desktop)
fi
for f in "${expected[@]}"; do
    [ -e "$dest/$f" ] || fail "missing after install: /$f"
done
[ -x "$dest/usr/bin/zirvo" ] || fail "/usr/bin/zirvo is not executable"
[ ! -e "$dest/usr/bin/editor" ] || fail "/usr/bin/editor belongs to the system's alternatives"

# The desktop entry starts the installed program and takes qova: links and RSS files.
desktop="$dest/usr/share/applications/org.zirvo.Zirvo.desktop"
grep -qx 'Exec=/usr/bin/zirvo %u' "$desktop" || fail "Exec of the desktop entry: $(grep ^Exec "$desktop")"
grep -qx 'MimeType=x-scheme-handler/qova;application/rss+xml;' "$desktop" || fail "MimeType"
for entry in "$dest"/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry" || fail "desktop-file-validate $(basename "$entry")"
done
appstreamcli validate --no-net --explain \
    "$dest/usr/share/metainfo/org.zirvo.Zirvo.metainfo.xml" || fail "appstreamcli validate"
# PNG icons are the size their folder names.
for size in 16 32 48 64 128 256; do
    png="$dest/usr/share/icons/hicolor/${size}x${size}/apps/zirvo.png"
    dims=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$png")
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done
echo "installed: $(cd "$dest" && find . -type f | wc -l) files"
