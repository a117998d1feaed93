#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the programs need, when missing.
# Idempotent and quiet when everything is present. Run as root or with sudo available.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache clang-format clang libclang-rt-dev
    libsqlite3-dev libxml2-dev libxslt1-dev libcurl4-openssl-dev libuchardet-dev
    libcli11-dev nlohmann-json3-dev
    qt6-base-dev qt6-webengine-dev qt6-translations-l10n fonts-noto-cjk fp-utils
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    python3 appstream desktop-file-utils
)
if [ "${ZIRVO_WITH_DESKTOP_TOOLS:-0}" = 1 ]; then
    packages+=(xvfb imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
