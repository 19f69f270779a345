#!/usr/bin/env bash
# The test command: installs what is missing, builds the 64-bit and the
# 32-bit program, checks the 32-bit executables are PE32, and runs every test
# of the 64-bit build under wine64.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

scripts/bootstrap.sh

scripts/build.sh x64
scripts/build.sh x86

build_root="${BUILD_ROOT:-$here/build}"
bad=0
count=0
while IFS= read -r exe; do
  count=$((count + 1))
  if ! i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386'; then
    echo "not PE32: $exe" >&2
    bad=1
  fi
done < <(find "$build_root/x86" -name '*.exe' -not -path '*/wineprefix/*' -not -path '*/CMakeFiles/*')
if [ "$count" -eq 0 ] || [ "$bad" -ne 0 ]; then
  echo "32-bit build check failed ($count executables)" >&2
  exit 1
fi
echo "32-bit build: $count executables, all PE32 (pei-i386)"

cd "$build_root/x64"
ctest --output-on-failure -j2 "$@"
