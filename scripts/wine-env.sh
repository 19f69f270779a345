#!/usr/bin/env bash
# Starts (start) or stops (stop) what a test run shares: the build tree's
# Wine prefix and wineserver, and an Xvfb display for the GUI tests.
# Usage: wine-env.sh start|stop BUILD_DIR
set -euo pipefail
action=$1
source "$(dirname "$0")/wine-common.sh" "$2"

start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$wine_state/xvfb.pid"
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n" >"$wine_state/display"; return 0; }
      sleep 0.1
    done
    kill "$(cat "$wine_state/xvfb.pid")" 2>/dev/null || true
  done
  echo "wine-env: no free X display" >&2
  return 1
}

case "$action" in
  start)
    if [ ! -f "$wine_state/xvfb.pid" ] || ! kill -0 "$(cat "$wine_state/xvfb.pid")" 2>/dev/null; then
      start_xvfb
    fi
    export DISPLAY=$(cat "$wine_state/display")
    wine_ensure_prefix
    wine_ensure_server
    ;;
  stop)
    "$WINESERVER" -k 2>/dev/null || true
    if [ -f "$wine_state/xvfb.pid" ]; then
      kill "$(cat "$wine_state/xvfb.pid")" 2>/dev/null || true
      rm -f "$wine_state/xvfb.pid" "$wine_state/display"
    fi
    ;;
  *) echo "usage: wine-env.sh start|stop BUILD_DIR" >&2; exit 2 ;;
esac
