#!/usr/bin/env bash
# Test emulator: runs a Windows program of the build tree under wine64.
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
set -euo pipefail
source "$(dirname "$0")/wine-common.sh" "$1"
shift
wine_ensure_prefix
wine_ensure_server
exec "$WINE" "$@"
