# Shared by the scripts that build a Windows program or library from a Debian
# source package (build-aria2.sh, build-libsodium.sh). Source it, then call
# debian_build_start with the script's name and arguments.
#
# The source comes through apt: the machine's own apt sources, copied as
# deb-src entries into a private apt state below the cache folder, so the
# machine's apt setup stays as it is.

# The preamble both build scripts share: reads the one argument (x64|x86) and
# sets `arch`, `triple` (the MinGW-w64 target), `package_arch` (the suffix of
# Debian's MinGW-w64 packages), `here` (the checkout) and `cache`
# (${XDG_CACHE_HOME:-$HOME/.cache}/game-launcher, made if missing); defines
# `log`, which prefixes messages with name $1.
debian_build_start() {
  debian_build_name=$1
  shift
  [ $# -eq 1 ] || debian_build_usage
  arch=$1
  case "$arch" in
    x64) triple=x86_64-w64-mingw32 package_arch=x86-64 ;;
    x86) triple=i686-w64-mingw32 package_arch=i686 ;;
    *) debian_build_usage ;;
  esac
  here=$(cd "$(dirname "$0")/.." && pwd)
  cache="${XDG_CACHE_HOME:-$HOME/.cache}/game-launcher"
  mkdir -p "$cache"
}

debian_build_usage() {
  echo "usage: $(basename "$0") x64|x86" >&2
  exit 2
}

log() { echo "$debian_build_name: $*" >&2; }

debian_source_sudo=()
[ "$(id -u)" -eq 0 ] || debian_source_sudo=(sudo)

# Installs Debian packages that are missing, through apt only.
need_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  {
    "${debian_source_sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${debian_source_sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
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

# Fetches source package $1 into folder $2 and unpacks it, with the package's
# own patches applied, into $2/src. The .dsc stays in $2.
fetch_debian_source() {
  local package=$1 work=$2 apt_dir="$cache/apt-src"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
  # The private state is shared by every build script using this cache.
  (
    flock 8
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
    cd "$work" && apt-get "${apt_opts[@]}" source --download-only "$package" >&2
  ) 8>"$apt_dir.lock"
  local dsc
  dsc=$(find "$work" -maxdepth 1 -name "${package}_*.dsc" | head -n 1)
  [ -n "$dsc" ] || { log "apt-get source gave no $package .dsc"; exit 1; }
  (cd "$work" && dpkg-source --no-check -x "$(basename "$dsc")" src >&2)
}

# The Version field of the .dsc of package $1 in folder $2 (1.0.18-1+deb12u1).
debian_source_version() {
  sed -n 's/^Version:[[:space:]]*//p' "$2/$1"_*.dsc | head -n 1
}

# The files a build used, kept beside its result in folder $3 so a release
# can ship them: the source package of $1 from work folder $2 (.dsc, orig and
# Debian archives) in $3/source, the licence texts of its unpacked tree
# ($2/src: the files named $4..., and debian/copyright) in $3/license.
keep_debian_source() {
  local package=$1 work=$2 out=$3
  shift 3
  rm -rf "$out/source.tmp" "$out/license.tmp"
  mkdir -p "$out/source.tmp" "$out/license.tmp"
  find "$work" -maxdepth 1 -type f -name "${package}_*" -exec cp {} "$out/source.tmp/" \;
  local file
  for file in "$@" debian/copyright; do
    cp "$work/src/$file" "$out/license.tmp/" || { log "the $package source has no $file"; return 1; }
  done
  rm -rf "$out/source" "$out/license"
  mv "$out/source.tmp" "$out/source"
  mv "$out/license.tmp" "$out/license"
}

# For a build made before its source was kept: fetches source package $1 again
# when its Debian version, or its upstream part, is $3, and keeps it in folder $2 (keep_debian_source,
# licence files $4...). Another version cannot stand for the one built; then
# $2/source.missing says so and no later run asks apt again.
keep_debian_source_of_build() {
  local package=$1 out=$2 version=$3
  shift 3
  [ -d "$out/source" ] || [ -f "$out/source.missing" ] && return 0
  local work fetched
  work=$(mktemp -d "$cache/$package-source.XXXXXX")
  # Not fatal: a build that reuses its cached result must not need the network.
  (
    trap 'rm -rf "$work"' EXIT
    fetch_debian_source "$package" "$work" || exit 1
    fetched=$(debian_source_version "$package" "$work")
    fetched=${fetched#*:}
    if [ "$fetched" != "$version" ] && [ "${fetched%-*}" != "$version" ]; then
      log "apt now offers $package $fetched, not the built $version: its source cannot be kept"
      echo "apt offered $package $fetched for the build of $version" >"$out/source.missing"
      exit 0
    fi
    keep_debian_source "$package" "$work" "$out" "$@"
  ) || log "could not keep the $package source this time"
}

# Copies the kept source and licence folders of build folder $1 to folder $2
# (when they differ), so a release finds them beside the built files.
copy_kept_source() {
  local from=$1 to=$2 part
  for part in source license; do
    [ -d "$from/$part" ] || continue
    diff -rq "$from/$part" "$to/$part" >/dev/null 2>&1 && continue
    rm -rf "$to/$part.tmp"
    cp -r "$from/$part" "$to/$part.tmp"
    rm -rf "$to/$part"
    mv "$to/$part.tmp" "$to/$part"
  done
}
