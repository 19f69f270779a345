#!/usr/bin/env bash
# Builds the Windows aria2c.exe from Debian's "aria2" source package with the
# MinGW-w64 compilers (WinTLS for https, every other optional library off) and
# puts it at <checkout>/.deps/aria2/<arch>/aria2c.exe.
#
# Usage: build-aria2.sh x64|x86
#
# The build happens once per version and architecture in a cache folder
# outside the checkout, ${XDG_CACHE_HOME:-$HOME/.cache}/game-launcher/, and
# later runs reuse the binary found there. The source comes through apt
# (scripts/debian-source.sh).
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/debian-source.sh"
debian_build_start build-aria2 "$@"
dest="$here/.deps/aria2/$arch"

# aria2's licence texts in its source tree.
aria2_licenses="COPYING LICENSE.OpenSSL"

# The newest cached build for this architecture, if any.
cached_binary() {
  find "$cache" -mindepth 2 -maxdepth 2 -path "*/aria2-*-$arch/aria2c.exe" 2>/dev/null |
    sort -V | tail -n 1
}

# Builds into the cache and sets `binary` to the result.
build() {
  need_packages dpkg-dev make "g++-mingw-w64-$package_arch-posix" "binutils-mingw-w64-$package_arch"
  work=$(mktemp -d "$cache/aria2-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  fetch_debian_source aria2 "$work"
  local src="$work/src" version out
  version=$(debian_source_version aria2 "$work")
  version=${version%-*}           # the upstream part: 1.36.0-1 -> 1.36.0
  version=${version#*:}
  out="$cache/aria2-$version-$arch"
  binary="$out/aria2c.exe"
  mkdir -p "$out"
  [ -d "$out/source" ] || keep_debian_source aria2 "$work" "$out" $aria2_licenses
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
out=$(dirname "$binary")
built_version=${out##*/aria2-}
keep_debian_source_of_build aria2 "$out" "${built_version%-"$arch"}" $aria2_licenses

mkdir -p "$dest"
if ! cmp -s "$binary" "$dest/aria2c.exe"; then
  cp "$binary" "$dest/aria2c.exe.tmp"
  mv "$dest/aria2c.exe.tmp" "$dest/aria2c.exe"
fi
copy_kept_source "$out" "$dest"
echo "aria2c ($arch): $dest/aria2c.exe"
