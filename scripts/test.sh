#!/usr/bin/env bash
# The test command: installs what is missing, builds the 64-bit and the
# 32-bit program, checks the 32-bit executables are PE32 and need no runtime
# DLL, and runs every test of the 64-bit build under wine64.
# Usage: test.sh [ctest arguments...]     e.g. test.sh -R 'Ini|Markup'
# Its arguments go to ctest. Whatever way the run ends, its Wine server, the
# Wine programs and the Xvfb display are stopped.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
usage() { sed -n '5,7s/^# \{0,1\}//p' "$0" >&2; exit 2; }
# ctest takes options first; anything else (say "x64") is a mistake.
case "${1:-}" in -h|--help) usage ;; ""|-*) ;; *) usage ;; esac
cd "$here"

scripts/bootstrap.sh

scripts/build.sh x64
scripts/build.sh x86

build_root=$(cd "${BUILD_ROOT:-$here/build}" && pwd)
bad=0
count=0
while IFS= read -r exe; do
  count=$((count + 1))
  if ! i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386'; then
    echo "not PE32: $exe" >&2
    bad=1
  fi
  # The runtime and zlib are linked in: no program may need their DLLs.
  if i686-w64-mingw32-objdump -p "$exe" |
     grep -iE 'DLL Name: (zlib1|libstdc\+\+-6|libgcc_s_[a-z0-9-]+|libwinpthread-1)\.dll' >&2; then
    echo "needs a DLL beside it: $exe" >&2
    bad=1
  fi
done < <(find "$build_root/x86" -name '*.exe' -not -path '*/wineprefix/*' -not -path '*/CMakeFiles/*')
if [ "$count" -eq 0 ] || [ "$bad" -ne 0 ]; then
  echo "32-bit build check failed ($count executables)" >&2
  exit 1
fi
echo "32-bit build: $count executables, all PE32 (pei-i386), none needs a runtime or zlib DLL"

# ctest stops the test environment itself only when it gets to its last
# test; an interrupt or a failure to start must not leave it running.
stop_test_environment() { "$here/scripts/wine-env.sh" stop "$build_root/x64" || true; }
trap stop_test_environment EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
cd "$build_root/x64"
# A test that fails is run once more and its first failure stays in the log:
# Wine itself now and then ends a program at start without a word (seen once
# in CI, never reproduced), which must not block a landing. A fault of ours
# that fails twice in a row still fails the run.
ctest --output-on-failure --no-tests=error -j2 --repeat until-pass:2 "$@"
