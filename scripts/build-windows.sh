#!/usr/bin/env bash
# Cross-compiles Venmark for Windows with Debian's MinGW-w64, for 32-bit
# (i686) and 64-bit (x86-64) systems, into build/windows-i686/ and
# build/windows-x86_64/. Everything is linked in statically.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing "${VENMARK_WINDOWS_PACKAGES[@]}"

for arch in i686 x86_64; do
  cmake -S . -B "build/windows-$arch" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVENMARK_WERROR=ON -DVENMARK_BUILD_BENCH=OFF \
    >/dev/null
  cmake --build "build/windows-$arch" --parallel "$(nproc)"
done
