#!/usr/bin/env bash
# Configures and builds one variant of the program.
# Usage: build.sh x64|x86 [--release] [ninja targets or options...]
#   x64        64-bit build with the test programs, in build/x64
#   x86        32-bit build with the test programs, in build/x86
#   --release  the programs alone, without test programs, benchmark or
#              GoogleTest, in build/<arch>-release
# BUILD_ROOT replaces build/. The tree is always configured for this
# checkout: one copied or moved here from another folder is made afresh.
set -euo pipefail
usage() { sed -n '3,7s/^# \{0,1\}//p' "$0" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || usage
arch=$1; shift
case "$arch" in
  x64) triple=x86_64-w64-mingw32 ;;
  x86) triple=i686-w64-mingw32 ;;
  *) usage ;;
esac
tests=ON tree=$arch
ninja_args=()
for arg in "$@"; do
  case "$arg" in
    --release) tests=OFF tree=$arch-release ;;
    -h|--help) usage ;;
    *) ninja_args+=("$arg") ;;
  esac
done

root=${BUILD_ROOT:-$here/build}
mkdir -p "$root"
build="$(cd "$root" && pwd)/$tree"
cache="$build/CMakeCache.txt"

# Physical path, so that a symlinked folder still counts as the same one.
physical() { realpath -m -- "$1"; }

if [ -f "$cache" ]; then
  cached_build=$(sed -n 's/^# For build in directory: //p' "$cache")
  cached_source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
  if [ "$(physical "$cached_build")" != "$(physical "$build")" ]; then
    # Copied or moved: its programs, paths and Wine prefix are the other
    # folder's. Nothing in a build tree is worth keeping.
    echo "build.sh: $build was made in $cached_build; building it afresh"
    if [ -d "$build/wineprefix" ]; then
      WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    fi
    rm -rf "$build"
  elif [ "$(physical "$cached_source")" != "$(physical "$here")" ]; then
    echo "build.sh: $build belongs to the checkout $cached_source, not $here." >&2
    echo "build.sh: set BUILD_ROOT to a folder of this checkout's own." >&2
    exit 1
  fi
fi

# libsodium from Debian's source package; built once, then only copied over
# when the cache holds a newer build.
"$here/scripts/build-libsodium.sh" "$arch" >/dev/null

if [ ! -f "$build/build.ninja" ] ||
   ! grep -qx "LAUNCHER_BUILD_TESTS:BOOL=$tests" "$build/CMakeCache.txt"; then
  cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DLAUNCHER_BUILD_TESTS=$tests >/dev/null
fi
cmake --build "$build" -- "${ninja_args[@]}"
