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
