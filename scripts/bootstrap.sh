#!/usr/bin/env bash
# Installs, only where missing, every Debian package the build and the tests
# need, plus the Windows 7-Zip build from the npm registry, aria2c.exe and
# libsodium built from Debian's source packages. Safe to re-run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 0 ] || { echo "usage: bootstrap.sh (no arguments; runs from any folder)" >&2; exit 2; }

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libz-mingw-w64-dev googletest
  wine64 xvfb xdotool imagemagick fonts-wqy-microhei
  python3 python3-pil zip unzip curl dpkg-dev make
  autoconf automake libtool minisign
)

# npm fetches the Windows 7-Zip. A machine whose Node.js already brings npm
# must not get Debian's npm package (it conflicts with such a Node.js).
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

"$here/scripts/fetch-7zip.sh"
"$here/scripts/build-aria2.sh" x64
"$here/scripts/build-libsodium.sh" x64
"$here/scripts/build-libsodium.sh" x86
