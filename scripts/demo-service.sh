#!/usr/bin/env bash
# Starts, stops or reports the demo service: the demo site of a 64-bit build
# tree served on 127.0.0.1 in the background (pid, port, log and the fault
# rules file live in BUILD_DIR/demo/).
# Usage: demo-service.sh start|stop|status BUILD_DIR [PORT]
# PORT defaults to the port of the base URL the site was built for
# (DEMO_BASE_URL); another port gets a site of its own, whose URLs point at it.
set -euo pipefail

usage() {
  echo "usage: demo-service.sh start|stop|status BUILD_DIR [PORT]" >&2
  exit 2
}
[ $# -ge 2 ] && [ $# -le 3 ] || usage
action=$1
case "$action" in start|stop|status) ;; *) usage ;; esac
[ -d "$2" ] || { echo "demo-service: no build tree at $2" >&2; exit 2; }
build=$(cd "$2" && pwd)
port=${3:-}
if [ -n "$port" ] && ! [[ "$port" =~ ^[0-9]+$ && "$port" -ge 1 && "$port" -le 65535 ]]; then
  echo "demo-service: PORT must be a number from 1 to 65535" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
state="$build/demo"
pid_file="$state/service.pid"
port_file="$state/service.port"

# The pid file's process, when it is still our server (not a reused pid).
running_pid() {
  local pid
  [ -f "$pid_file" ] || return 1
  pid=$(cat "$pid_file")
  [ -n "$pid" ] && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q demo_server.py || return 1
  echo "$pid"
}

# Builds the site if needed and sets `site` to its folder and `port` to the
# port it was built for: the configured base URL's unless PORT asks another.
prepare_site() {
  [ -f "$build/build.ninja" ] || { echo "demo-service: $build is not configured (scripts/build.sh x64)" >&2; exit 1; }
  cmake --build "$build" --target demo_site >/dev/null
  local built_port
  built_port=$(sed -E 's#^.*:([0-9]+)/?$#\1#' "$state/site.stamp")
  [[ "$built_port" =~ ^[0-9]+$ ]] || { echo "demo-service: DEMO_BASE_URL names no port" >&2; exit 1; }
  if [ -z "$port" ] || [ "$port" = "$built_port" ]; then
    port=$built_port
    site="$state/site"
    return
  fi
  site="$state/site-$port"
  if [ ! -f "$site.stamp" ] || [ "$state/site.stamp" -nt "$site.stamp" ]; then
    /usr/bin/python3 "$here/demo/service/make_site.py" --out "$site" --base-url "http://127.0.0.1:$port" \
      --game "$build/demo/game/DemoGame.exe" --list-tool "$build/tools/MakeUpdateList.exe" \
      --build-dir "$build" --stamp "$site.stamp"
  fi
}

case "$action" in
  start)
    if pid=$(running_pid); then
      echo "demo service already running: http://127.0.0.1:$(cat "$port_file")/ (pid $pid)"
      exit 0
    fi
    prepare_site
    rm -f "$port_file"
    setsid /usr/bin/python3 "$here/demo/service/demo_server.py" --root "$site" --port "$port" \
      --port-file "$port_file" --rules "$state/rules.json" --request-log "$state/requests.log" \
      </dev/null >"$state/service.log" 2>&1 &
    echo $! >"$pid_file"
    for _ in $(seq 100); do
      [ -f "$port_file" ] && break
      if ! kill -0 "$(cat "$pid_file")" 2>/dev/null; then
        echo "demo-service: the server did not start:" >&2
        cat "$state/service.log" >&2
        rm -f "$pid_file"
        exit 1
      fi
      sleep 0.1
    done
    [ -f "$port_file" ] || { echo "demo-service: no answer from the server within 10 s" >&2; exit 1; }
    echo "demo service: http://127.0.0.1:$port/ (pid $(cat "$pid_file"), site $site)"
    echo "configuration: http://127.0.0.1:$port/FTP/cs/Launcher/Config.ini; fault rules: $state/rules.json"
    ;;
  stop)
    if ! pid=$(running_pid); then
      rm -f "$pid_file" "$port_file"
      echo "demo service not running"
      exit 0
    fi
    kill -TERM "$pid"
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid"
    rm -f "$pid_file" "$port_file"
    echo "demo service stopped"
    ;;
  status)
    if pid=$(running_pid); then
      echo "demo service running: http://127.0.0.1:$(cat "$port_file")/ (pid $pid)"
    else
      echo "demo service not running"
      exit 3
    fi
    ;;
esac
