#!/usr/bin/env bash
# Makes venmark-windows-i686.zip and venmark-windows-x86_64.zip in the
# repository root: both programs, the four IEEE listings of Debian's
# ieee-data under the names the programs look for beside themselves, and a
# short README.txt in Russian; and the same programs and listings as
# installers, venmark-VERSION-i686.msi and venmark-VERSION-x86_64.msi
# (wixl, from win32/venmark.wxs.in).
# With a code-signing certificate (VENMARK_SIGN_PKCS12 names the PKCS#12
# file, VENMARK_SIGN_PASSWORD_FILE the file holding its password,
# VENMARK_SIGN_TIMESTAMP_URL a time-stamping server if wanted) both .exe
# files are signed before they are packed, and then the MSIs (SHA-256,
# osslsigncode). Unsigned otherwise.
#   VENMARK_MSI_VERSION=0.9.0 scripts/package-windows.sh   # another version
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing zip ieee-data wixl msitools
[ -z "${VENMARK_SIGN_PKCS12:-}" ] || venmark_install_missing osslsigncode
bash scripts/build-windows.sh >/dev/null

# Signs the Windows program or package $1 in place, when a certificate is
# given.
sign() {
  [ -n "${VENMARK_SIGN_PKCS12:-}" ] || return 0
  local signed=$1.signed
  local args=(sign -pkcs12 "$VENMARK_SIGN_PKCS12" -h sha256 -n Venmark
    -i https://venmark.org -in "$1" -out "$signed")
  [ -z "${VENMARK_SIGN_PASSWORD_FILE:-}" ] ||
    args+=(-readpass "$VENMARK_SIGN_PASSWORD_FILE")
  [ -z "${VENMARK_SIGN_TIMESTAMP_URL:-}" ] ||
    args+=(-ts "$VENMARK_SIGN_TIMESTAMP_URL")
  osslsigncode "${args[@]}" >/dev/null
  mv "$signed" "$1"
}

ieee=/usr/share/ieee-data
for arch in i686 x86_64; do
  stage=$(mktemp -d)
  folder=$stage/venmark
  mkdir "$folder"
  cp "build/windows-$arch/win32/venmark.exe" "build/windows-$arch/cli/venmark-scan.exe" "$folder/"
  sign "$folder/venmark.exe"
  sign "$folder/venmark-scan.exe"
  venmark_seed_listings "$folder"
  date=$(date -r "$ieee/oui.txt" +%Y-%m-%d)
  # Windows Notepad reads UTF-8 with CR LF lines.
  sed "s/@DATE@/$date/" <<'README' | sed 's/$/\r/' >"$folder/README.txt"
Venmark — производители сетевых устройств по MAC-адресам

venmark.exe — окно: вставьте в него любой текст с MAC-адресами (вывод
ipconfig /all, arp -a, таблицу MAC-адресов коммутатора, журнал) и нажмите
«Поиск» или Ctrl+Enter. Результаты появятся в окне «Результаты поиска».

venmark-scan.exe — то же из командной строки:
  ipconfig /all | venmark-scan
  venmark-scan arp.txt
  venmark-scan --format json switch.txt
  venmark-scan --help

Списки производителей IEEE (base.dat и рядом с ним base-mam.dat,
base-mas.dat, base-iab.dat, base-cid.dat) ищутся по порядку: в текущей папке, в
%LOCALAPPDATA%\Venmark\ и рядом с программой. Списки рядом с программой —
от @DATE@; кнопка «Обновить базу MAC-адресов с сервера IEEE» или команда
venmark-scan --update загрузит свежие в %LOCALAPPDATA%\Venmark\ (или в
текущую папку, если base.dat лежит там).

Программы работают в Windows 7 и новее, установка не нужна.
README
  rm -f "venmark-windows-$arch.zip"
  (cd "$stage" && zip -q -r -9 "$OLDPWD/venmark-windows-$arch.zip" venmark)

  # The installer, from the same files; wixl takes them from its folder.
  wxs=build/windows-$arch/win32/venmark.wxs
  version=$(sed -n 's/.*Version="\([0-9.]*\)".*/\1/p' "$wxs" | head -1)
  version=${VENMARK_MSI_VERSION:-$version}
  # The listings seeded above, each a file of the installer.
  files=$(venmark_seeded_names | awk '{ id = $0; gsub(/-/, "_", id)
    printf "        <File Id=\"%s\" Name=\"%s\" Source=\"%s\"/>\\n", id, $0, $0 }')
  sed -e "s/Version=\"[0-9.]*\" Manufacturer/Version=\"$version\" Manufacturer/" \
    -e "s|^ *<!-- the listings, from scripts/package-windows.sh -->|$files|" \
    "$wxs" >"$folder/venmark.wxs"
  grep -q 'Source="base.dat"' "$folder/venmark.wxs" || {
    echo "В $wxs нет места для списков: установщик вышел бы без них" >&2
    exit 1
  }
  cp icons/venmark.ico "$folder/"
  msi=$PWD/venmark-$version-$arch.msi
  wixl_arch=x86
  [ "$arch" = x86_64 ] && wixl_arch=x64
  (cd "$folder" && wixl -a "$wixl_arch" -o "$msi" venmark.wxs 2>/dev/null)
  # What wixl cannot say: IEEE_ORIGIN's value goes under the install's own
  # root (HKMU: the user's per user, the machine's for ALLUSERS=1), only
  # when it is given, and reaches a per-machine install's elevated part;
  # the x64 package searches the 64-bit registry.
  msibuild "$msi" -q "UPDATE Registry SET Root = -1 WHERE Name = 'Origin'"
  msibuild "$msi" -q "UPDATE Component SET Condition = 'IEEE_ORIGIN' WHERE Component = 'Origin'"
  secure=$(msiinfo export "$msi" Property |
    awk -F'\t' '$1 == "SecureCustomProperties" { print $2 }' | tr -d '\r')
  msibuild "$msi" -q "UPDATE Property SET Value = '${secure:+$secure;}IEEE_ORIGIN' WHERE Property = 'SecureCustomProperties'"
  [ "$arch" = i686 ] || msibuild "$msi" -q "UPDATE RegLocator SET Type = 18"
  sign "$msi"
  rm -rf "$stage"
  echo "Архив: $PWD/venmark-windows-$arch.zip"
  echo "Установщик: $msi"
done
