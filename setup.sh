#!/usr/bin/env bash
# Sets up a Debian machine for Tarvel, builds it, then starts the program
# ("./setup.sh start") or runs the whole test suite ("./setup.sh test").
# Only Debian packages are installed; nothing else is downloaded.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev llvm libcli11-dev libstb-dev
  qt6-base-dev libgl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  binutils-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 cpp
  libxdamage-dev xvfb xdotool x11-apps x11-utils imagemagick fonts-dejavu-core wine wine64-tools fonts-wine
  desktop-file-utils shared-mime-info dpkg-dev file
  python3 time
)

install_missing() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  cmake --preset default
  cmake --build --preset default
}

case "${1:-}" in
  start)
    install_missing
    build
    if [ -x build/bin/tarvel ]; then
      exec build/bin/tarvel
    fi
    exec build/bin/tarvel-rc -o - examples/Form1.frm
    ;;
  test)
    install_missing
    build
    # The Windows programs and their zip, then tarvel-rc.exe under Wine against the Linux build.
    cmake --preset windows
    cmake --build --preset windows
    cpack --preset windows
    python3 tests/windows/wine_test.py build/bin/tarvel-rc build-windows "$(cd .. && pwd)/shared/corpus"
    # The suite under AddressSanitizer and UndefinedBehaviorSanitizer and a minute of fuzzing,
    # then the suite of the build that ./setup.sh start runs.
    scripts/hardening.sh
    ctest --preset default
    ;;
  *)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
