#!/usr/bin/env bash
# The launcher's card workflows end to end with the real tools throughout:
# every install downloads with the aria2c.exe built from Debian's source
# (scripts/build-aria2.sh) and unpacks with 7-Zip's 7za.exe, against the demo
# service, on a private Xvfb display. CI runs the same tests with a stand-in
# download tool for all but one install.
#
# Usage: scripts/e2e-real-tools.sh [unittest names, e.g. InstallFailureTest]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_ROOT:-$here/build}/x64"

"$here/scripts/build-aria2.sh" x64 >/dev/null
"$here/scripts/fetch-7zip.sh"
"$here/scripts/build.sh" x64 Launcher DemoGame standin_aria2c demo_site

"$here/scripts/wine-env.sh" start "$build"
trap '"$here/scripts/wine-env.sh" stop "$build"' EXIT
LAUNCHER_BUILD_DIR="$build" LAUNCHER_E2E_REAL_TOOLS=1 PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 "$here/tests/launcher-workflows/test_launcher_workflows.py" "$@"
