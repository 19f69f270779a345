#!/usr/bin/env bash
# Starts (start) or stops (stop) what a test run shares: the build tree's
# Wine prefix and a wineserver that stays for the whole run, and an Xvfb
# display for the GUI tests. Stopping also ends every Wine program of the
# tree and removes the display's state files.
# Usage: wine-env.sh start|stop BUILD_DIR
set -euo pipefail
usage() { sed -n '6s/^# \{0,1\}//p' "$0" >&2; exit 2; }
[ $# -eq 2 ] || usage
case "$1" in start|stop) ;; *) usage ;; esac
action=$1
source "$(dirname "$0")/wine-common.sh" "$2" || usage

# The display number stays on Xvfb's command line (the GUI tests check it
# there). Two trees starting together may pick the same free number: the
# loser's Xvfb exits, so a display counts only while our own Xvfb runs.
start_xvfb() {
  local n pid
  rm -f "$wine_state/display" "$wine_state/xvfb.pid"
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      # A moment more: a loser may see the winner's socket before it exits.
      if [ -e "/tmp/.X11-unix/X$n" ] && sleep 0.2 && kill -0 "$pid" 2>/dev/null; then
        echo "$pid" >"$wine_state/xvfb.pid"
        echo ":$n" >"$wine_state/display"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
  done
  echo "wine-env: no free X display" >&2
  return 1
}

stop_xvfb() {
  local pid
  if [ -f "$wine_state/xvfb.pid" ]; then
    pid=$(cat "$wine_state/xvfb.pid")
    # Only ever our Xvfb: after a reboot the number may belong to another program.
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
      kill "$pid" 2>/dev/null || true
    fi
  fi
  rm -f "$wine_state/xvfb.pid" "$wine_state/display"
}

case "$action" in
  start)
    if ! test_display=$(wine_test_display); then
      start_xvfb
      test_display=$(cat "$wine_state/display")
    fi
    export DISPLAY=$test_display
    wine_prepare forever
    ;;
  stop)
    wine_stop_server
    stop_xvfb
    ;;
esac
