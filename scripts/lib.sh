# Shared by the scripts of this folder, which source it: their messages,
# where the native build puts things, installing missing Debian packages,
# and the Debian source packages (pinned versions, fetching, libopenmpt's
# configuration) that the Windows and web builds compile their libraries
# from. Each of these is written here and nowhere else.
#
# Sets ROOT (the checkout), BUILD_DIR (the native build, ZELVIK_BUILD_DIR
# or build/), WINDOWS_BUILD_DIR (the Windows cross build,
# ZELVIK_WINDOWS_BUILD_DIR or build-windows/) and WEB_BUILD_DIR (the web
# build, ZELVIK_WEB_BUILD_DIR or build-web/). Messages are prefixed with the
# sourcing script's name.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${ZELVIK_BUILD_DIR:-$ROOT/build}"
# shellcheck disable=SC2034 # for the scripts that source this file
WINDOWS_BUILD_DIR="${ZELVIK_WINDOWS_BUILD_DIR:-$ROOT/build-windows}"
# shellcheck disable=SC2034
WEB_BUILD_DIR="${ZELVIK_WEB_BUILD_DIR:-$ROOT/build-web}"
SCRIPT_NAME="$(basename "$0")"

say() { echo "$SCRIPT_NAME: $*" >&2; }
die() { echo "$SCRIPT_NAME: $*" >&2; exit 1; }

# --- Debian packages ------------------------------------------------------------
# Installs whichever of the named packages are missing (apt waits up to ten
# minutes for another apt to finish rather than failing).
install_missing_packages() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  ((${#missing[@]})) || return 0
  say "installing ${missing[*]}"
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq || die "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null || die "installing ${missing[*]} failed"
}

# The package names of a list file: one a line, "#" starts a comment.
packages_in() { sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$1"; }

# --- The native build -------------------------------------------------------------
# Configures the native build folder unless it is configured already, after
# installing what scripts/packages.txt lists. ZELVIK_CMAKE_ARGS adds options.
configure_native_build() {
  local packages
  mapfile -t packages < <(packages_in "$ROOT/scripts/packages.txt")
  install_missing_packages "${packages[@]}"
  if [[ ! -f "$BUILD_DIR/CMakeCache.txt" || ! -f "$BUILD_DIR/paths.txt" ]]; then
    # shellcheck disable=SC2086 # ZELVIK_CMAKE_ARGS holds several words
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${ZELVIK_CMAKE_ARGS:-} >/dev/null ||
      die "configuring $BUILD_DIR failed"
  fi
}

# The parallel jobs of the native builds the other scripts start: two, as
# the machine may be building something else at the same time.
NATIVE_JOBS=2

# Builds the named targets of the native build, configured first if need be.
native_build() {
  configure_native_build
  cmake --build "$BUILD_DIR" --parallel "$NATIVE_JOBS" --target "$@" >/dev/null ||
    die "building $* in $BUILD_DIR failed"
}

# Where the build in folder $1 put $2: a name of its paths.txt, which CMake
# writes from the zelvik_path() calls of the CMakeLists.txt files.
build_path() {
  local file="$1/paths.txt" line
  [[ -f "$file" ]] || die "$1 is not configured (no paths.txt)"
  while IFS= read -r line; do
    if [[ "$line" == "$2="* ]]; then
      echo "${line#*=}"
      return 0
    fi
  done <"$file"
  die "$file names no $2 (is it part of that build?)"
}

# Builds the sprite sheet and the soundtrack with the native generators and
# prints the folder that holds them. Their bytes are the same on every
# system, so the Windows and web builds take them from here.
native_data_files() {
  native_build scene_sheet demo_music
  build_path "$BUILD_DIR" data
}

# --- Libraries from Debian's source packages ---------------------------------------
# Where the Windows and web builds keep the libraries they compiled, outside
# the checkout, each in a folder of its own below this one.
CACHE_DIR="${ZELVIK_CACHE_DIR:-$HOME/.cache/zelvik}"

# The versions the Windows and web builds compile, as Debian 12 ships them.
SDL2_SOURCE="libsdl2=2.26.5+dfsg-1"
OPENMPT_SOURCE="libopenmpt=0.6.9-1"
FREETYPE_SOURCE="freetype=2.12.1+dfsg-5+deb12u4"
SDL2_TTF_SOURCE="libsdl2-ttf=2.20.1+dfsg-2"

# libopenmpt's configure options on every system: the library alone, static,
# reading module formats only. Its player program, examples, tests and
# documentation are off, and so is every optional codec and output library
# (compressed and sampled formats the show's music never uses; audio output
# is the show's own, through SDL).
OPENMPT_CONFIGURE_OPTIONS=(
  --disable-shared --enable-static
  --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc
  --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile
  --without-portaudio --without-portaudiocpp --without-pulseaudio --without-sdl2
  --without-sndfile --without-flac
)

# Fetches the named source packages ("name=version") and unpacks each into
# $1/src/<name>, through a deb-src list made from this machine's own apt
# sources; apt's lists and downloads stay in $1.
fetch_debian_sources() {
  local work="$1"
  shift
  local apt_dir="$work/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work/downloads" "$work/src"
  [[ -r /etc/apt/sources.list.d/debian.sources ]] ||
    die "/etc/apt/sources.list.d/debian.sources is missing: cannot derive the source package list"
  sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$apt_dir/deb-src.sources"
  local apt_options=(-o "Dir::Etc::sourcelist=$apt_dir/deb-src.sources" -o "Dir::Etc::sourceparts=-"
                     -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
  # As root, apt would hand the download to its own unprivileged user, which
  # cannot write into a private work folder.
  if [[ $(id -u) -eq 0 ]]; then apt_options+=(-o "APT::Sandbox::User=root"); fi
  say "fetching the source package lists"
  apt-get "${apt_options[@]}" update -qq >"$work/apt.log" 2>&1 ||
    { tail -n 20 "$work/apt.log" >&2; die "apt-get update of the source package lists failed"; }
  say "fetching the sources of $*"
  (cd "$work/downloads" && apt-get "${apt_options[@]}" source --download-only -qq "$@" >>"$work/apt.log" 2>&1) ||
    { tail -n 20 "$work/apt.log" >&2; die "apt-get source failed for one of: $*"; }
  local source name version
  for source in "$@"; do
    name="${source%%=*}"
    version="${source#*=}"
    dpkg-source --no-check -x "$work/downloads/${name}_${version#*:}.dsc" "$work/src/$name" >/dev/null ||
      die "dpkg-source could not unpack $source"
  done
}

# A name for a library cache, "$1_<hash>", that changes with everything that
# shapes the libraries: the compiler and whatever else the caller names in
# $2 (text), the pinned versions, libopenmpt's options, and the recipes: the
# text of the functions named after $2.
cache_key() {
  local name="$1" identity="$2"
  shift 2
  local hash
  hash="$( {
      echo "$identity"
      echo "$SDL2_SOURCE $OPENMPT_SOURCE $FREETYPE_SOURCE $SDL2_TTF_SOURCE"
      echo "${OPENMPT_CONFIGURE_OPTIONS[*]}"
      declare -f "$@"
    } | sha256sum | cut -c1-12)"
  echo "${name}_${hash}"
}

# Holds a lock on the cache folder $1 until unlock_cache (or the script's
# end), so that two builds never fill one cache at the same time: the
# second waits, then finds the libraries there.
lock_cache() {
  mkdir -p "$1"
  exec 9>"$1/.lock"
  flock 9
}
unlock_cache() { flock -u 9; }
