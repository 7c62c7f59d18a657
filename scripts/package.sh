#!/usr/bin/env bash
# Builds the Debian package venmark_VERSION_ARCH.deb into the repository
# root with CPack, and checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing "${VENMARK_BUILD_PACKAGES[@]}" "${VENMARK_PACKAGE_PACKAGES[@]}"

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DVENMARK_BUILD_TESTS=OFF \
  -DVENMARK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/venmark_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/venmark_*.deb)
cp "$deb" .
deb=$(basename "$deb")

# What a package must pass before anyone installs it.
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
dpkg-deb -x "$deb" "$staging"
desktop-file-validate "$staging"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$staging"/usr/share/metainfo/*.xml
lintian --fail-on error "$deb"
echo "Пакет: $PWD/$deb"
