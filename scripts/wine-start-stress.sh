#!/usr/bin/env bash
# Starts a Windows program many times at once through wine-run.sh, each round
# on a fresh Wine prefix, the way `ctest -j` starts test programs on a new
# build tree, and counts the starts that failed, printed nothing or hung.
# Usage: wine-start-stress.sh PROGRAM [ROUNDS] [PARALLEL] [WAVES]
#   PROGRAM   a 64-bit GoogleTest program (it is run with --gtest_list_tests)
#   ROUNDS    fresh prefixes to use (default 4); every second one starts as
#             an empty prefix folder, as an interrupted first run leaves it
#   PARALLEL  programs started together in each wave (default 4)
#   WAVES     waves per prefix (default 12); the pause before each wave
#             sweeps 0 to 5.5 s in half seconds, so waves also land while
#             the server of the last one is shutting down
set -euo pipefail
usage() { sed -n '5,12s/^# \{0,1\}//p' "$0" >&2; exit 2; }
[ $# -ge 1 ] && [ $# -le 4 ] && [ -f "$1" ] || usage
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
rounds=${2:-4} parallel=${3:-4} waves=${4:-12}
for n in "$rounds" "$parallel" "$waves"; do
  [[ "$n" =~ ^[1-9][0-9]*$ ]] || usage
done
scripts_dir=$(cd "$(dirname "$0")" && pwd)
hang_seconds=120

work=$(mktemp -d)
stop_servers() {
  local tree
  for tree in "$work"/round*; do
    [ -d "$tree/wineprefix" ] || continue
    WINEPREFIX="$tree/wineprefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap stop_servers EXIT

starts=0 failed=0 silent=0 hung=0 slowest=0
started=$(date +%s)
for round in $(seq "$rounds"); do
  tree="$work/round$round"
  mkdir -p "$tree"
  [ $((round % 2)) -eq 1 ] || mkdir "$tree/wineprefix"
  for wave in $(seq "$waves"); do
    [ "$wave" -eq 1 ] || sleep "$(( (wave - 2) % 12 / 2 )).$(( (wave - 2) % 2 * 5 ))"
    pids=()
    for i in $(seq "$parallel"); do
      (
        begin=$(date +%s%N)
        rc=0
        timeout "$hang_seconds" "$scripts_dir/wine-run.sh" "$tree" "$program" --gtest_list_tests \
          >"$tree/out.$wave.$i" 2>&1 </dev/null || rc=$?
        echo "$rc $(( ($(date +%s%N) - begin) / 1000000 ))" >"$tree/result.$wave.$i"
      ) &
      pids+=($!)
    done
    wait "${pids[@]}"
    for i in $(seq "$parallel"); do
      starts=$((starts + 1))
      read -r rc ms <"$tree/result.$wave.$i"
      [ "$ms" -le "$slowest" ] || slowest=$ms
      where="round $round wave $wave start $i"
      if [ "$rc" -eq 124 ]; then
        hung=$((hung + 1))
        echo "$where: still running after ${hang_seconds} s"
      elif [ "$rc" -ne 0 ]; then
        failed=$((failed + 1))
        echo "$where: exit $rc after $ms ms, $(wc -c <"$tree/out.$wave.$i") bytes of output"
      elif [ ! -s "$tree/out.$wave.$i" ]; then
        silent=$((silent + 1))
        echo "$where: exit 0 after $ms ms but no output"
      fi
    done
  done
  WINEPREFIX="$tree/wineprefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
done
echo "starts: $starts, failed: $failed, silent: $silent, hung: $hung," \
  "slowest start: $slowest ms, seconds: $(($(date +%s) - started))"
[ "$failed" -eq 0 ] && [ "$silent" -eq 0 ] && [ "$hung" -eq 0 ]
