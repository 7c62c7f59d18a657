#!/usr/bin/env bash
# Makes venmark-windows-i686.zip and venmark-windows-x86_64.zip in the
# repository root: both programs, the four IEEE listings of Debian's
# ieee-data under the names the programs look for beside themselves, and a
# short README.txt in Russian.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing zip ieee-data
bash scripts/build-windows.sh >/dev/null

ieee=/usr/share/ieee-data
for arch in i686 x86_64; do
  stage=$(mktemp -d)
  folder=$stage/venmark
  mkdir "$folder"
  cp "build/windows-$arch/win32/venmark.exe" "build/windows-$arch/cli/venmark-scan.exe" "$folder/"
  cp -p "$ieee/oui.txt" "$folder/base.dat"
  cp -p "$ieee/mam.txt" "$folder/base-mam.dat"
  cp -p "$ieee/oui36.txt" "$folder/base-mas.dat"
  cp -p "$ieee/iab.txt" "$folder/base-iab.dat"
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

Списки производителей IEEE (base.dat, base-mam.dat, base-mas.dat,
base-iab.dat) ищутся по порядку: в текущей папке, в
%LOCALAPPDATA%\Venmark\ и рядом с программой. Списки рядом с программой —
от @DATE@; кнопка «Обновить базу MAC-адресов с сервера IEEE» или команда
venmark-scan --update загрузит свежие в %LOCALAPPDATA%\Venmark\ (или в
текущую папку, если base.dat лежит там).

Программы работают в Windows 7 и новее, установка не нужна.
README
  rm -f "venmark-windows-$arch.zip"
  (cd "$stage" && zip -q -r -9 "$OLDPWD/venmark-windows-$arch.zip" venmark)
  rm -rf "$stage"
  echo "Архив: $PWD/venmark-windows-$arch.zip"
done
