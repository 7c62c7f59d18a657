#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, runs the installed
# venmark-scan from an empty folder against the system's listings, and
# removes the package again. Needs root (or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/package.sh
deb=$(ls venmark_*.deb | head -n 1)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# The package is installed system-wide: a second run on this machine takes
# its turn for the install, the check and the removal together, and waits
# for dpkg's own lock rather than failing on it.
exec 9>/var/lock/venmark-package-check.lock
flock --timeout 1800 9 || { echo "Пакет проверяет другой запуск" >&2; exit 1; }
apt_get() {
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}
apt_get install -y -q "./$deb" >/dev/null
empty=$(mktemp -d)
remove() {
  apt_get remove -y -q venmark >/dev/null
  rm -rf "$empty"
}
trap remove EXIT

found=$(cd "$empty" && printf 'link/ether 52:54:00:12:34:56\n 10 0050.56a3.1b2c DYNAMIC\n00e0-fc12-3456 1 GE0/0/1\n' |
  env -u XDG_DATA_HOME HOME="$empty" /usr/bin/venmark-scan)
expected="52:54:00:12:34:56 - производитель не определен (локально администрируемый адрес)
0050.56a3.1b2c - VMware, Inc.
00e0-fc12-3456 - HUAWEI TECHNOLOGIES CO.,LTD"
if [ "$found" != "$expected" ]; then
  echo "Установленный venmark-scan ответил не то:" >&2
  echo "$found" >&2
  exit 1
fi
(cd "$empty" && HOME="$empty" /usr/bin/venmark-scan --version)
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/venmark --version
echo "Пакет установлен, проверен и удалён."
