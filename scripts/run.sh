#!/usr/bin/env bash
# The run command: shows the launcher doing its main job on this machine.
#
#   scripts/run.sh          install what is missing, build, serve the demo
#                           service, start the launcher and take screenshots
#   scripts/run.sh stop     end a launcher left running on your display
#
# The launcher runs under wine64 from a folder laid out as a user has it
# (BUILD/run/launcher: Launcher.exe, soft\aria2c.exe, soft\7z.exe, Game\,
# tmp\), in a Wine prefix of its own (BUILD/run/wineprefix), against the demo
# service on the address compiled into it. With $DISPLAY set it shows there
# and stays open; without one it runs on a private Xvfb display and is closed
# once the screenshots (BUILD/run/screenshots) are taken.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_ROOT:-$here/build}/x64"
run="$build/run"
launcher="$run/launcher"
shots="$run/screenshots"

stop_all() {
  if [ -f "$run/launcher.pid" ]; then
    kill "$(cat "$run/launcher.pid")" 2>/dev/null || true
    rm -f "$run/launcher.pid"
  fi
  WINEPREFIX="$run/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  if [ -f "$run/wine/xvfb.pid" ]; then
    "$here/scripts/wine-env.sh" stop "$run"
  fi
  [ -d "$build" ] && "$here/scripts/demo-service.sh" stop "$build" >/dev/null || true
}

case "${1:-}" in
  stop)
    stop_all
    echo "launcher, its Wine server and the demo service stopped"
    exit 0
    ;;
  "") ;;
  *) echo "usage: run.sh [stop]" >&2; exit 2 ;;
esac

"$here/scripts/bootstrap.sh"
"$here/scripts/build.sh" x64 Launcher demo_site WindowProbe
"$here/scripts/demo-service.sh" start "$build"

# A launcher left from an earlier run goes first; its folder is laid out anew
# except for what a user would keep (installed games, settings).
stop_launcher() {
  if [ -f "$run/launcher.pid" ]; then
    kill "$(cat "$run/launcher.pid")" 2>/dev/null || true
    rm -f "$run/launcher.pid"
  fi
}
stop_launcher
mkdir -p "$launcher/soft" "$launcher/Game" "$launcher/tmp" "$shots"
cp "$build/Launcher/Launcher.exe" "$launcher/Launcher.exe"
cp "$here/.deps/aria2/x64/aria2c.exe" "$launcher/soft/aria2c.exe"
cp "$here/.deps/7zip-bin/7za-x64.exe" "$launcher/soft/7z.exe"

# The display: yours, or a private Xvfb.
mkdir -p "$run/wine"
keep=()
if [ -n "${DISPLAY:-}" ]; then
  echo "$DISPLAY" >"$run/wine/display"
  keep=(--keep)
else
  rm -f "$run/wine/display"
  "$here/scripts/wine-env.sh" start "$run"
  trap '"$here/scripts/wine-env.sh" stop "$run"; "$here/scripts/demo-service.sh" stop "$build" >/dev/null' EXIT
fi

# The prefix's desktop would be your home folder; the shortcut the launcher
# makes on its first start goes to a desktop inside the prefix instead.
"$here/scripts/wine-run.sh" "$run" cmd /c exit 0 </dev/null >/dev/null 2>&1
for desktop in "$run"/wineprefix/drive_c/users/*/Desktop; do
  if [ -L "$desktop" ]; then
    rm "$desktop"
    mkdir -p "$desktop"
  fi
done

/usr/bin/python3 "$here/scripts/run-launcher.py" --run "$run" --launcher "$launcher" \
  --shots "$shots" --demo "$build/demo" "${keep[@]}"

if [ ${#keep[@]} -gt 0 ]; then
  echo "The launcher stays open on $DISPLAY; end it and the demo service with: scripts/run.sh stop"
fi
