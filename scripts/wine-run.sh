#!/usr/bin/env bash
# Runs a Windows program of a build tree under wine64; ctest runs every test
# program through it. Relative paths that do not exist from the current
# folder are taken from the checkout.
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
#   e.g. scripts/wine-run.sh build/x64 build/x64/bench/launcher_bench.exe
# A wineserver this starts ends a few seconds after the last program; a test
# run's own server (scripts/wine-env.sh) is used while it runs.
set -euo pipefail
usage() { sed -n '5,6s/^# \{0,1\}//p' "$0" >&2; exit 2; }
[ $# -ge 2 ] || usage
source "$(dirname "$0")/wine-common.sh" "$1" || usage
given=$2
shift 2
if ! program=$(wine_resolve "$given") || [ ! -f "$program" ]; then
  echo "wine-run: no program '$given'" >&2
  usage
fi
wine_prepare 1
exec "$wine_loader" "$program" "$@"
