# Sourced by the Wine test scripts: one prefix per build tree, never ~/.wine.
# Usage: source wine-common.sh BUILD_DIR
wine_build=$(cd "$1" && pwd)
wine_state="$wine_build/wine"
mkdir -p "$wine_state"
export WINEPREFIX="$wine_build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree=;mshtml="
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
scripts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -f "$wine_state/display" ]; then
  export DISPLAY=$(cat "$wine_state/display")
fi

wine_ensure_server() {
  # A persistent server keeps every later program start fast. When this call
  # starts it, bring up Wine's own services now with no inherited descriptors,
  # or they would hold the caller's output pipes open for the whole run.
  if "$WINESERVER" -p </dev/null >/dev/null 2>&1; then
    "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
  fi
}

wine_ensure_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  (
    flock 9
    [ -f "$WINEPREFIX/.ready" ] && exit 0
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
    "$WINE" regedit /S "$(winepath_of "$scripts_dir/wine-fonts.reg")" </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.ready"
  ) 9>"$wine_state/prefix.lock"
}

# Wine maps the Unix root as drive Z:.
winepath_of() {
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}
