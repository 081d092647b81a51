# Shared by scripts/test and scripts/run: the packages Nibwright needs and the build.
# shellcheck shell=bash

NIB_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
NIB_JOBS="${NIB_JOBS:-$(nproc 2>/dev/null || echo 2)}"

# Debian packages needed to build the program and run its window.
NIB_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev
  libpugixml-dev libsimpleini-dev libjpeg-dev
  fonts-dejavu-core
)

# Added by the test command: the test and benchmark libraries, clang for fuzzing, the Windows cross
# compiler, and for the package check dpkg-dev and Debian's checkers of packages, desktop entries and
# AppStream files.
NIB_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64
  dpkg-dev lintian desktop-file-utils appstream
)

# Needed only to look at the window and to run the benchmarks against their peers.
NIB_TOOL_PACKAGES=(
  xvfb xauth imagemagick xdotool xmlstarlet
)

# The cache of the Windows build (scripts/windows): Qt base for Windows, once built, lies in a folder named
# for the host Qt's source version and is marked complete by a `.complete` file.
NIB_WIN_CACHE="${NIB_WIN_CACHE:-$HOME/.cache/nibwright/win64}"
nib_windows_qt_cached() {
  local version
  version="$(dpkg-query -W -f='${source:Version}' qt6-base-dev 2>/dev/null)" || return 1
  [ -n "$version" ] && [ -f "$NIB_WIN_CACHE/qt-$version/.complete" ]
}

# Installs what is missing: with apt-get as root, otherwise prints the exact line and stops.
nib_ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq || return 1
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
  else
    echo "Missing packages. Install them with:"
    echo "  sudo apt-get install -y ${missing[*]}"
    return 1
  fi
}

# Configures and builds into the given folder with extra cmake arguments.
# Compiles through ccache where it is installed, so that several checkouts and build folders share objects.
nib_build() {
  local dir="$1"; shift
  local launcher=()
  command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$NIB_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="${NIB_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" "$@" >/dev/null || return 1
  cmake --build "$dir" -j "$NIB_JOBS" || return 1
}
