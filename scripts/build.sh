#!/usr/bin/env bash
# Configures and builds one target. Usage: build.sh x64|x86 [ninja targets...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch=$1; shift
case "$arch" in
  x64) triple=x86_64-w64-mingw32 ;;
  x86) triple=i686-w64-mingw32 ;;
  *) echo "usage: build.sh x64|x86 [targets...]" >&2; exit 2 ;;
esac
build="${BUILD_ROOT:-$here/build}/$arch"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -- "$@"
