# Sourced by the Wine scripts: one prefix per build tree, never ~/.wine.
# Usage: source wine-common.sh BUILD_DIR
# A relative BUILD_DIR that does not exist from the current folder is taken
# from the checkout, so the scripts can be called from anywhere.
scripts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
checkout_dir=$(dirname "$scripts_dir")

# Prints PATH as an absolute path: as given if it exists from the current
# folder, else from the checkout; fails if neither exists.
wine_resolve() {
  local path=$1
  if [ ! -e "$path" ] && [ "${path#/}" = "$path" ] && [ -e "$checkout_dir/$path" ]; then
    path="$checkout_dir/$path"
  fi
  [ -e "$path" ] || return 1
  if [ -d "$path" ]; then
    (cd "$path" && pwd)
  else
    printf '%s/%s\n' "$(cd "$(dirname "$path")" && pwd)" "$(basename "$path")"
  fi
}

if [ -z "${1:-}" ] || ! wine_build=$(wine_resolve "$1") || [ ! -d "$wine_build" ]; then
  echo "no build tree '${1:-}' (make one with: scripts/build.sh x64)" >&2
  return 2
fi
wine_state="$wine_build/wine"
mkdir -p "$wine_state"
export WINEPREFIX="$wine_build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree=;mshtml="
wine_loader=/usr/lib/wine/wine64
wine_server=/usr/lib/wine/wineserver

# The X display of a test run of this build tree, while its Xvfb still runs.
wine_test_display() {
  local pid
  [ -f "$wine_state/xvfb.pid" ] && [ -f "$wine_state/display" ] || return 1
  pid=$(cat "$wine_state/xvfb.pid")
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] || return 1
  cat "$wine_state/display"
}

if test_display=$(wine_test_display); then
  export DISPLAY=$test_display
fi

# Wine's own programs run detached from the caller's terminal and pipes: a
# service that inherits a pipe would hold it open after the program ended.
wine_quietly() {
  "$@" </dev/null >/dev/null 2>&1
}

# Makes the prefix and brings up a wineserver with its services, unless one
# runs already. A server started here ends LINGER seconds after the last
# program; "forever" replaces any running server by one that stays until
# wine_stop_server (a test run's own). One caller at a time: two programs
# starting together must not both make the prefix or both start a server.
# No Wine process may inherit the lock, or it would hold it for its life.
wine_prepare() {
  local linger=$1
  (
    flock -w 600 9 || { echo "wine: timed out waiting for $wine_state/wine.lock" >&2; exit 1; }
    {
      if [ ! -f "$WINEPREFIX/.ready" ]; then
        # Left half-made by an interrupted run: start again.
        wine_stop_server
        rm -rf "$WINEPREFIX"
      elif [ "$linger" = forever ]; then
        wine_stop_server
      fi
      wine_start_server "$linger" && wine_make_prefix
    } 9>&-
  ) 9>"$wine_state/wine.lock"
}

wine_start_server() {
  local persistence=-p rc=0
  [ "$1" = forever ] || persistence="-p$1"
  mkdir -p "$WINEPREFIX"
  wine_quietly "$wine_server" "$persistence" || rc=$?
  case $rc in
    0) # Ours: start the services now, before any program can inherit them.
       if [ -f "$WINEPREFIX/.ready" ]; then wine_quietly "$wine_loader" wineboot || true; fi ;;
    2) ;; # a server of this prefix runs already
    *) echo "wine: wineserver would not start (exit $rc)" >&2; return 1 ;;
  esac
}

wine_make_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  wine_quietly "$wine_loader" wineboot -i || true
  if ! wine_quietly "$wine_loader" regedit /S "$(winepath_of "$scripts_dir/wine-fonts.reg")"; then
    echo "wine: could not set up the prefix $WINEPREFIX" >&2
    return 1
  fi
  touch "$WINEPREFIX/.ready"
}

# Ends the prefix's wineserver and every Wine program of it, and waits (a
# bounded time) until the server is gone.
wine_stop_server() {
  wine_quietly "$wine_server" -k || true
  wine_quietly timeout 20 "$wine_server" -w || true
}

# Wine maps the Unix root as drive Z:.
winepath_of() {
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}
