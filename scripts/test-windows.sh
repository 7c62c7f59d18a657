#!/usr/bin/env bash
# Builds the Windows programs and runs their tests under Wine, then checks
# that venmark-scan.exe of each architecture prints exactly what the Linux
# venmark-scan prints for the same inputs ($VENMARK_LINUX_SCAN, else the
# release build's).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
# wine32 comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -q
fi
venmark_install_missing "${VENMARK_WINDOWS_PACKAGES[@]}" "${VENMARK_WINE_PACKAGES[@]}"
bash scripts/build-windows.sh
# The installers of this build, and of an older version to upgrade from.
venmark_install_missing wixl
VENMARK_MSI_VERSION=0.9.0 bash scripts/package-windows.sh >/dev/null
bash scripts/package-windows.sh >/dev/null

venmark_wine_env

linux=${VENMARK_LINUX_SCAN:-build/release/cli/venmark-scan}
[ -x "$linux" ] || venmark_build_release >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The same inputs for both builds: real command outputs, a UTF-16 file as
# PowerShell writes it, and the benchmark's large text.
cp samples/*.txt "$work/"
printf '\xff\xfe' >"$work/ipconfig-utf16.txt"
iconv -f UTF-8 -t UTF-16LE samples/mixed.txt >>"$work/ipconfig-utf16.txt"
venmark_seed_listings "$work"

# The window tests want a display: Wine's stand-in without one corrupts its
# heap when windows are made and resized.
venmark_start_xvfb
trap 'kill "$VENMARK_XVFB" 2>/dev/null || true; rm -rf "$work"' EXIT

for arch in i686 x86_64; do
  echo "Тесты Windows $arch под Wine:"
  ctest --test-dir "build/windows-$arch" --output-on-failure
  exe=$PWD/build/windows-$arch/cli/venmark-scan.exe
  for format in text tsv json; do
    for input in "$work"/*.txt; do
      name=$(basename "$input")
      expected=$(cd "$work" && "$OLDPWD/$linux" --format "$format" "$name")
      got=$(cd "$work" && wine "$exe" --format "$format" "$name")
      if [ "$got" != "$expected" ]; then
        echo "venmark-scan.exe ($arch, $format) ответил на $name иначе, чем Linux:" >&2
        diff <(echo "$expected") <(echo "$got") | head -20 >&2
        exit 1
      fi
    done
  done
  echo "venmark-scan.exe ($arch): те же строки, что у Linux"
  # The update over WinHTTP against a local server (the test is a Linux
  # program of scripts/test.sh's build).
  update_test=${VENMARK_WINE_UPDATE_TEST:-build/asan/cli/venmark_wine_update_test}
  if [ -x "$update_test" ]; then
    VENMARK_WINDOWS_SCAN=$exe "$update_test"
  else
    echo "Обновление под Wine проверяет scripts/test.sh ($update_test не собран)"
  fi
  # The windows, driven as a user would on a virtual display.
  bash scripts/drive-windows-gui.sh "$arch" "$linux"
  # The update driven through the windows against a local server.
  bash scripts/drive-windows-update.sh "$arch"
  # The MSI package: installed, upgraded, used and removed.
  bash scripts/check-msi.sh "$arch" "$linux"
done
