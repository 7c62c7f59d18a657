#!/usr/bin/env bash
# Sourced by the other scripts: installing what is missing and building.

# Installs those of the given Debian packages that are not installed yet
# (apt-get, through sudo when not root).
venmark_install_missing() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
        grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
      echo "Нужны пакеты ${missing[*]}, но нет ни прав root, ни sudo." >&2
      return 1
    }
    sudo="sudo"
  fi
  echo "Устанавливаю пакеты: ${missing[*]}"
  $sudo apt-get update -q || return 1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
}

# What building the programs needs.
VENMARK_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev
  qt6-translations-l10n libcurl4-openssl-dev ca-certificates fonts-dejavu-core
  fonts-liberation2 ieee-data)
# What the tests and benchmarks need on top.
VENMARK_TEST_PACKAGES=(libgtest-dev libcpp-httplib-dev libbenchmark-dev clang
  libclang-rt-14-dev)
# What building and checking the Debian package needs.
VENMARK_PACKAGE_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream)
# What cross-compiling for Windows needs, and running the result.
VENMARK_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix googletest)
VENMARK_WINE_PACKAGES=(wine wine64 wine32:i386 xvfb xdotool xclip imagemagick
  x11-utils wixl msitools zip python3)
# What driving the GUI under a virtual display needs.
VENMARK_SCREEN_PACKAGES=(xvfb xdotool imagemagick x11-utils qt6-gtk-platformtheme)

# Builds the programs, without tests, into build/release.
venmark_build_release() {
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVENMARK_BUILD_TESTS=OFF -DVENMARK_BUILD_BENCH=OFF >/dev/null &&
    cmake --build build/release --parallel "$(nproc)"
}

# Copies Debian's four IEEE listings into folder $1 under the names the
# programs look for (base.dat, base-mam.dat, base-mas.dat, base-iab.dat),
# keeping their dates.
venmark_seed_listings() {
  local ieee=/usr/share/ieee-data
  cp -p "$ieee/oui.txt" "$1/base.dat"
  cp -p "$ieee/mam.txt" "$1/base-mam.dat"
  cp -p "$ieee/oui36.txt" "$1/base-mas.dat"
  cp -p "$ieee/iab.txt" "$1/base-iab.dat"
}

# Starts a virtual 1280x1024 display $1 (further Xvfb options after it),
# waits until it answers and makes it the DISPLAY; its pid goes into
# VENMARK_XVFB.
venmark_start_xvfb() {
  Xvfb "$1" -screen 0 1280x1024x24 -nolisten tcp "${@:2}" &
  VENMARK_XVFB=$!
  export DISPLAY=$1
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# A Wine server started by console programs before has no display: this
# one starts afresh on ours, at DPI $1 (96: 100 %).
venmark_wine_on_display() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
}
