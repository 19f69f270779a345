#!/usr/bin/env bash
# Puts the Windows builds of 7-Zip (npm package 7zip-bin) into .deps/7zip-bin.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 0 ] || { echo "usage: fetch-7zip.sh (no arguments; runs from any folder)" >&2; exit 2; }
version=5.2.0
dest="$here/.deps/7zip-bin"
[ -f "$dest/.version-$version" ] && exit 0
command -v npm >/dev/null || { echo "fetch-7zip: npm is missing" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "7zip-bin@$version" >/dev/null)
rm -rf "$dest"
mkdir -p "$dest"
tar -xzf "$work"/7zip-bin-"$version".tgz -C "$work"
cp "$work/package/win/x64/7za.exe" "$dest/7za-x64.exe"
cp "$work/package/win/ia32/7za.exe" "$dest/7za-ia32.exe"
touch "$dest/.version-$version"
