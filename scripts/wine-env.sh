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

# Xvfb picks a free display itself and names it on a descriptor, so two
# build trees starting together cannot take the same one.
start_xvfb() {
  local pid
  rm -f "$wine_state/display" "$wine_state/xvfb.pid"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp \
    3>"$wine_state/display.new" </dev/null >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    if [ -s "$wine_state/display.new" ]; then
      echo "$pid" >"$wine_state/xvfb.pid"
      echo ":$(tr -dc 0-9 <"$wine_state/display.new")" >"$wine_state/display"
      rm -f "$wine_state/display.new"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  rm -f "$wine_state/display.new"
  echo "wine-env: Xvfb did not start" >&2
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
  rm -f "$wine_state/xvfb.pid" "$wine_state/display" "$wine_state/display.new"
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
