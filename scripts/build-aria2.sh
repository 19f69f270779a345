#!/usr/bin/env bash
# Builds the Windows aria2c.exe from Debian's "aria2" source package with the
# MinGW-w64 compilers (WinTLS for https, every other optional library off) and
# puts it at <checkout>/.deps/aria2/<arch>/aria2c.exe.
#
# Usage: build-aria2.sh x64|x86
#
# The build happens once per version and architecture in a cache folder
# outside the checkout, ${XDG_CACHE_HOME:-$HOME/.cache}/game-launcher/, and
# later runs reuse the binary found there. The source comes through apt: the
# machine's own apt sources, copied as deb-src entries into a private apt
# state below the cache folder, so the machine's apt setup stays as it is.
set -euo pipefail
shopt -s inherit_errexit

usage() {
  echo "usage: $(basename "$0") x64|x86" >&2
  exit 2
}

[ $# -eq 1 ] || usage
arch=$1
case "$arch" in
  x64) triple=x86_64-w64-mingw32 package_arch=x86-64 ;;
  x86) triple=i686-w64-mingw32 package_arch=i686 ;;
  *) usage ;;
esac

here=$(cd "$(dirname "$0")/.." && pwd)
cache="${XDG_CACHE_HOME:-$HOME/.cache}/game-launcher"
dest="$here/.deps/aria2/$arch"
mkdir -p "$cache"

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

log() { echo "build-aria2: $*" >&2; }

# The newest cached build for this architecture, if any.
cached_binary() {
  find "$cache" -mindepth 2 -maxdepth 2 -path "*/aria2-*-$arch/aria2c.exe" 2>/dev/null |
    sort -V | tail -n 1
}

# Installs Debian packages that are missing, through apt only.
need_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  {
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  } >&2
}

# Writes deb-src twins of every active apt source into folder $1: deb822
# ".sources" stanzas to derived.sources, one-line entries to derived.list,
# keeping their hosts, suites and keys. False when there was none.
derive_source_entries() {
  local parts=$1 file
  rm -f "$parts/derived.sources" "$parts/derived.list"
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      BEGIN { RS = ""; ORS = "\n\n" }
      {
        n = split($0, lines, "\n"); text = ""; binary = 0; enabled = 1
        for (i = 1; i <= n; i++) {
          line = lines[i]
          if (line ~ /^#/) continue
          if (line ~ /^Types:/) { if (line ~ /[ \t]deb([ \t]|$)/) binary = 1; line = "Types: deb-src" }
          if (line ~ /^Enabled:[ \t]*no/) enabled = 0
          text = text line "\n"
        }
        if (binary && enabled) printf "%s\n", text
      }' "$file" >>"$parts/derived.sources"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$file" >>"$parts/derived.list"
  done
  local found=1
  for file in "$parts/derived.sources" "$parts/derived.list"; do
    if [ -s "$file" ]; then found=0; else rm -f "$file"; fi
  done
  return $found
}

# Fetches and unpacks the source package into $1/src.
fetch_source() {
  local work=$1 apt_dir="$cache/apt-src"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
  derive_source_entries "$apt_dir/sources.list.d" ||
    { log "no apt sources found to derive deb-src entries from"; exit 1; }
  # A private state: the machine's package lists and caches are not touched.
  local apt_opts=(
    -o "Dir::Etc::SourceList=/dev/null"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "APT::Sandbox::User=root"
  )
  log "apt-get update (deb-src entries derived from the machine's apt sources)"
  apt-get "${apt_opts[@]}" update -qq >&2
  (cd "$work" && apt-get "${apt_opts[@]}" source --download-only aria2 >&2)
  local dsc
  dsc=$(find "$work" -maxdepth 1 -name 'aria2_*.dsc' | head -n 1)
  [ -n "$dsc" ] || { log "apt-get source gave no aria2 .dsc"; exit 1; }
  (cd "$work" && dpkg-source --no-check -x "$(basename "$dsc")" src >&2)
}

# Builds into the cache and sets `binary` to the result.
build() {
  need_packages dpkg-dev make "g++-mingw-w64-$package_arch-posix" "binutils-mingw-w64-$package_arch"
  work=$(mktemp -d "$cache/aria2-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  fetch_source "$work"
  local src="$work/src" version out
  version=$(sed -n 's/^Version:[[:space:]]*//p' "$work"/aria2_*.dsc | head -n 1)
  version=${version%-*}           # the upstream part: 1.36.0-1 -> 1.36.0
  version=${version#*:}
  out="$cache/aria2-$version-$arch"
  binary="$out/aria2c.exe"
  [ -f "$binary" ] && return
  log "configuring aria2 $version for $triple"
  local started=$SECONDS
  # No pkg-config lookups: the build machine's own libraries must not leak in.
  mkdir -p "$work/no-pkgconfig"
  (
    cd "$src"
    # GCC 12: one WinTLS header uses std::array without including <array>.
    ./configure --host="$triple" --prefix=/ \
      CC="$triple-gcc-posix" CXX="$triple-g++-posix" \
      CXXFLAGS="-O2 -include array" LDFLAGS="-static" ARIA2_STATIC=yes \
      PKG_CONFIG_LIBDIR="$work/no-pkgconfig" PKG_CONFIG_PATH= \
      --with-wintls --without-libxml2 --without-libexpat --without-sqlite3 \
      --without-libssh2 --without-libcares --without-openssl --without-gnutls \
      --without-libgcrypt --without-libnettle --without-libgmp --without-libz \
      --disable-bittorrent --disable-metalink --disable-nls >"$work/configure.log" 2>&1 ||
      { tail -n 30 "$work/configure.log" >&2; exit 1; }
    log "building (make -j$(nproc))"
    make -j"$(nproc)" >"$work/make.log" 2>&1 || { tail -n 40 "$work/make.log" >&2; exit 1; }
  )
  mkdir -p "$out"
  "$triple-strip" -o "$binary.tmp" "$src/src/aria2c.exe"
  mv "$binary.tmp" "$binary"
  log "built in $((SECONDS - started)) s"
}

# One build at a time per cache, whichever checkout asks.
exec 9>"$cache/aria2-$arch.lock"
flock 9
binary=$(cached_binary)
if [ -n "$binary" ]; then
  log "reusing $binary"
else
  build
fi

mkdir -p "$dest"
if ! cmp -s "$binary" "$dest/aria2c.exe"; then
  cp "$binary" "$dest/aria2c.exe.tmp"
  mv "$dest/aria2c.exe.tmp" "$dest/aria2c.exe"
fi
echo "aria2c ($arch): $dest/aria2c.exe"
