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
# This build's are signed with a throwaway certificate, and every
# signature is checked against it (here, and in the installed programs).
venmark_install_missing wixl msitools osslsigncode openssl
VENMARK_MSI_VERSION=0.9.0 bash scripts/package-windows.sh >/dev/null
signing=$(mktemp -d)
trap 'rm -rf "$signing"' EXIT
openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes \
  -subj "/CN=Venmark test signing" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$signing/key.pem" -out "$signing/cert.pem" 2>/dev/null
head -c 24 /dev/urandom | base64 >"$signing/password"
openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" \
  -passout "file:$signing/password" -out "$signing/cert.p12"
VENMARK_SIGN_PKCS12=$signing/cert.p12 \
  VENMARK_SIGN_PASSWORD_FILE=$signing/password \
  bash scripts/package-windows.sh >/dev/null
export VENMARK_SIGN_CERT=$signing/cert.pem
version=$(ls venmark-[1-9]*-i686.msi | sort -V | tail -1)
version=${version#venmark-}
version=${version%-i686.msi}
for arch in i686 x86_64; do
  unzipped=$(mktemp -d)
  unzip -q "venmark-windows-$arch.zip" -d "$unzipped"
  for signed in "venmark-$version-$arch.msi" "$unzipped/venmark/venmark.exe" \
      "$unzipped/venmark/venmark-scan.exe"; do
    osslsigncode verify -CAfile "$VENMARK_SIGN_CERT" -in "$signed" >/dev/null ||
      { echo "подпись $signed не проверяется" >&2; exit 1; }
  done
  # The old package stays unsigned, and says so.
  if osslsigncode verify -CAfile "$VENMARK_SIGN_CERT" \
      -in "venmark-0.9.0-$arch.msi" >/dev/null 2>&1; then
    echo "venmark-0.9.0-$arch.msi подписан, хотя сертификата не было" >&2
    exit 1
  fi
  rm -rf "$unzipped"
done
echo "Подписи программ и установщиков проверены"

venmark_wine_env

linux=${VENMARK_LINUX_SCAN:-build/release/cli/venmark-scan}
[ -x "$linux" ] || venmark_build_release >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work" "$signing"' EXIT
# The same inputs for both builds: real command outputs, a UTF-16 file as
# PowerShell writes it, and the benchmark's large text.
cp samples/*.txt "$work/"
printf '\xff\xfe' >"$work/ipconfig-utf16.txt"
iconv -f UTF-8 -t UTF-16LE samples/mixed.txt >>"$work/ipconfig-utf16.txt"
venmark_seed_listings "$work"

# The window tests want a display: Wine's stand-in without one corrupts its
# heap when windows are made and resized.
venmark_start_xvfb
trap 'kill "$VENMARK_XVFB" 2>/dev/null || true; rm -rf "$work" "$signing"' EXIT

for arch in i686 x86_64; do
  # A kernel without 32-bit programs cannot start Wine's i686 loader; the
  # i686 build is still made and packaged above, and said not run here.
  if [ "$arch" = i686 ] && ! venmark_runs_32bit; then
    echo "Внимание: это ядро не запускает 32-битные программы; тесты i686 под Wine пропущены" >&2
    continue
  fi
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
