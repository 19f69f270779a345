#!/usr/bin/env bash
# Builds the static libsodium for one MinGW-w64 target from Debian's
# "libsodium" source package (with the package's own patches, security fixes
# among them) and puts headers and libsodium.a at
# <checkout>/.deps/libsodium/<arch>/{include,lib}, where CMake finds them.
#
# Usage: build-libsodium.sh x64|x86
#
# The build happens once per Debian version and architecture in a cache folder
# outside the checkout, ${XDG_CACHE_HOME:-$HOME/.cache}/game-launcher/, and
# later runs reuse what is found there. The source comes through apt
# (scripts/debian-source.sh). --enable-minimal keeps what signature checks
# and BLAKE2b need and drops the rest.
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/debian-source.sh"
debian_build_start build-libsodium "$@"
dest="$here/.deps/libsodium/$arch"

# The newest cached build for this architecture, if any (its folder).
cached_build() {
  find "$cache" -mindepth 3 -maxdepth 3 -path "*/libsodium-*-$arch/lib/libsodium.a" 2>/dev/null |
    sort -V | tail -n 1 | sed 's,/lib/libsodium\.a$,,'
}

# Builds into the cache and sets `out` to the installed folder.
build() {
  need_packages dpkg-dev make autoconf automake libtool \
    "gcc-mingw-w64-$package_arch-posix" "binutils-mingw-w64-$package_arch"
  work=$(mktemp -d "$cache/libsodium-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  fetch_debian_source libsodium "$work"
  local src="$work/src" version
  # The whole Debian version: its patches are part of what gets built.
  version=$(debian_source_version libsodium "$work")
  version=${version#*:}
  out="$cache/libsodium-$version-$arch"
  [ -f "$out/lib/libsodium.a" ] && return
  local started=$SECONDS
  log "generating configure for libsodium $version"
  (cd "$src" && autoreconf -fi >"$work/autoreconf.log" 2>&1) ||
    { tail -n 30 "$work/autoreconf.log" >&2; exit 1; }
  log "configuring for $triple"
  rm -rf "$out.tmp"
  mkdir -p "$work/no-pkgconfig"
  (
    cd "$src"
    ./configure --host="$triple" --prefix="$out.tmp" \
      --disable-shared --enable-static --enable-minimal \
      CC="$triple-gcc-posix" CFLAGS="-O2" \
      PKG_CONFIG_LIBDIR="$work/no-pkgconfig" PKG_CONFIG_PATH= >"$work/configure.log" 2>&1 ||
      { tail -n 30 "$work/configure.log" >&2; exit 1; }
    log "building (make -j$(nproc))"
    { make -j"$(nproc)" && make install; } >"$work/make.log" 2>&1 ||
      { tail -n 40 "$work/make.log" >&2; exit 1; }
  )
  echo "$version" >"$out.tmp/version"
  rm -rf "$out"
  mv "$out.tmp" "$out"
  keep_debian_source libsodium "$work" "$out" LICENSE
  log "built in $((SECONDS - started)) s"
}

# One build at a time per cache, whichever checkout asks.
exec 9>"$cache/libsodium-$arch.lock"
flock 9
out=$(cached_build)
if [ -n "$out" ]; then
  log "reusing $out"
else
  build
fi
keep_debian_source_of_build libsodium "$out" "$(cat "$out/version")" LICENSE

# Copied only when it changed, so the builds do not relink for nothing.
mkdir -p "$dest"
if ! diff -rq "$out/include" "$dest/include" >/dev/null 2>&1 ||
   ! cmp -s "$out/lib/libsodium.a" "$dest/lib/libsodium.a"; then
  rm -rf "$dest.tmp"
  mkdir -p "$dest.tmp/lib"
  cp -r "$out/include" "$dest.tmp/include"
  cp "$out/lib/libsodium.a" "$dest.tmp/lib/"
  cp "$out/version" "$dest.tmp/version"
  rm -rf "$dest"
  mv "$dest.tmp" "$dest"
fi
copy_kept_source "$out" "$dest"
echo "libsodium ($arch): $dest"
