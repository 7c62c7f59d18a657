#!/usr/bin/env bash
# Installs what is missing, builds Venmark and runs it from the repository
# root, with ./base.dat seeded from Debian's copy of the IEEE listing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing "${VENMARK_BUILD_PACKAGES[@]}"

build=build/release
venmark_build_release

# The listings from Debian's copy of the IEEE's files, each only when it
# is not here yet.
venmark_seed_listings . new

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/qt/venmark"
fi

cat <<MESSAGE
Нет графического дисплея (не заданы DISPLAY и WAYLAND_DISPLAY), поэтому окно
Venmark открыть нельзя. Тот же поиск доступен из командной строки:

  ip link | $build/cli/venmark-scan
  $build/cli/venmark-scan файл1.txt файл2.txt

Вот он на примере samples/mixed.txt:

MESSAGE
exec "$build/cli/venmark-scan" samples/mixed.txt
