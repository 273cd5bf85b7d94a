# Shared by the scripts of this folder, which source it: their messages,
# where the native build puts things, and installing missing Debian
# packages. Each of these is written here and nowhere else.
#
# Sets ROOT (the checkout) and BUILD_DIR (the native build, ZELVIK_BUILD_DIR
# or build/). Messages are prefixed with the sourcing script's name.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${ZELVIK_BUILD_DIR:-$ROOT/build}"
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

# Where the build in folder $1 put $2 (a name of its paths.txt, which CMake
# writes: zelvik, zelvik-capture, sheet_from_picture, zelvik_bench, data,
# fuzz_sprite_sheet, fuzz_module, fuzz_seeds; in the Windows build zelvik,
# zip, zelvik_tests).
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
  configure_native_build
  cmake --build "$BUILD_DIR" --parallel 2 --target scene_sheet demo_music >/dev/null ||
    die "making the data files in $BUILD_DIR failed"
  build_path "$BUILD_DIR" data
}
