#!/usr/bin/env bash
# Signs files with a build tree's demo key (made by CMake when
# LAUNCHER_SIGNING_KEYS holds "demo"), writing FILE.minisig beside each file,
# as the launcher of that build tree will check them.
# Usage: sign-file.sh BUILD_DIR FILE...      e.g. sign-file.sh build/x64 site/Config.ini
# The key has no password; operators sign with their own key instead:
#   minisign -S -s their.key -m Config.ini
set -euo pipefail
usage() { sed -n '5s/^# \{0,1\}//p' "$0" >&2; exit 2; }
[ $# -ge 2 ] || usage
build=$1; shift
key="$build/signing/demo.sec"
[ -f "$key" ] || { echo "sign-file.sh: no demo key at $key (configure $build first)" >&2; exit 1; }
command -v minisign >/dev/null || { echo "sign-file.sh: minisign is missing (scripts/bootstrap.sh)" >&2; exit 1; }
for file in "$@"; do
  [ -f "$file" ] || { echo "sign-file.sh: no file $file" >&2; exit 1; }
  minisign -S -s "$key" -m "$file" -x "$file.minisig" >/dev/null
  echo "$file.minisig"
done
