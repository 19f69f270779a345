# Shared by the scripts that build a Windows program or library from a Debian
# source package (build-aria2.sh, build-libsodium.sh). Source it after setting
# `cache` (the cache folder) and defining `log`.
#
# The source comes through apt: the machine's own apt sources, copied as
# deb-src entries into a private apt state below the cache folder, so the
# machine's apt setup stays as it is.

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
