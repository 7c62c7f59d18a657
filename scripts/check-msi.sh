#!/usr/bin/env bash
# Installs, uses, upgrades and removes the MSI package of one architecture
# in a fresh Wine prefix, as an administrator deploying it would:
#   scripts/check-msi.sh ARCH LINUX_VENMARK_SCAN
# Wants venmark-0.9.0-ARCH.msi and venmark-VERSION-ARCH.msi (made by
# scripts/package-windows.sh) in the repository root.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=$1
linux_scan=$(realpath "$2")
export VENMARK_LINUX_SCAN=${VENMARK_LINUX_SCAN:-$linux_scan}
. scripts/common.sh
venmark_wine64_only
new=$(ls venmark-[1-9]*-"$arch".msi | sort -V | tail -1)
old=venmark-0.9.0-$arch.msi
version=${new#venmark-}
version=${version%-"$arch".msi}

export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
WINEPREFIX=$(mktemp -d)
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$work"' EXIT
wineboot --init >/dev/null 2>&1 || true
user=$(ls "$WINEPREFIX/drive_c/users" | grep -v '^Public$' | head -1)
home=$WINEPREFIX/drive_c/users/$user
programs=$home/AppData/Local/Programs/Venmark
shortcut="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Venmark.lnk"
fail() { echo "MSI ($arch): $*" >&2; exit 1; }

# The versions the uninstall entries named Venmark give, one a line.
entries() {
  wineserver -w
  cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" | tr -d '\r' | awk '
    /^\[/ {
      if (name == "Venmark" && entry) print version
      name = ""; version = ""; entry = index($0, "\\\\Uninstall\\\\{") > 0
    }
    /^"DisplayName"="Venmark"$/ { name = "Venmark" }
    /^"DisplayVersion"=/ { split($0, v, "\""); version = v[4] }
    END { if (name == "Venmark" && entry) print version }'
}

# The Origin value under root (HKCU, HKLM) as Wine's registry holds it in
# the package's own view (32-bit for i686), or nothing.
view=/reg:32
[ "$arch" = x86_64 ] && view=/reg:64
origin_value() {
  wine reg query "$1\\Software\\Venmark" /v Origin "$view" 2>/dev/null | tr -d '\r' |
    awk '$1 == "Origin" { sub(/^[ \t]*Origin[ \t]+REG_SZ[ \t]+/, ""); print }'
}
# What the installed venmark-scan.exe says of where updates come from.
origin_line() {
  (cd "$work" && wine "$1" --version 2>/dev/null |
    tr -d '\r' | grep '^Обновления' || true)
}

share='\\srv\share\ieee'
wine msiexec /i "$old" IEEE_ORIGIN="$share" /qn || fail "$old не устанавливается"
[ "$(entries)" = 0.9.0 ] || fail "после установки $old записи: $(entries)"
[ "$(origin_value HKCU)" = "$share" ] ||
  fail "IEEE_ORIGIN не записан для пользователя: «$(origin_value HKCU)»"
# An upgrade without the property keeps the origin set before.
wine msiexec /i "$new" /qn || fail "$new не устанавливается поверх $old"
[ "$(entries)" = "$version" ] ||
  fail "обновление оставило записи: $(entries | tr '\n' ' ')"
[ "$(origin_value HKCU)" = "$share" ] ||
  fail "обновление потеряло IEEE_ORIGIN: «$(origin_value HKCU)»"
[ -z "$(origin_value HKLM)" ] || fail "установка для пользователя тронула HKLM"
# The installed programs are the signed ones, where this build was signed.
if [ -n "${VENMARK_SIGN_CERT:-}" ]; then
  for program in venmark.exe venmark-scan.exe; do
    osslsigncode verify -CAfile "$VENMARK_SIGN_CERT" -in "$programs/$program" \
      >/dev/null || fail "установлен неподписанный $program"
  done
fi
for file in venmark.exe venmark-scan.exe $(venmark_seeded_names); do
  [ -f "$programs/$file" ] || fail "нет $programs/$file"
done
[ -f "$shortcut" ] || fail "нет ярлыка в меню «Пуск»"
# The icon the list of programs shows (Windows reads DisplayIcon or the
# product's ProductIcon; Wine writes the latter).
grep -qE '"(DisplayIcon|ProductIcon)"=.*venmark\.ico' \
  "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" ||
  fail "у записи об удалении нет значка"

# The installed venmark-scan.exe, with the listings beside it, answers a
# real paste as Linux does with the same listings.
for sample in samples/ipconfig-all.txt samples/field/hpux-lanscan.txt; do
  expected=$("$linux_scan" --db /usr/share/ieee-data/oui.txt "$sample")
  got=$(cd "$work" && wine "$programs/venmark-scan.exe" <"$OLDPWD/$sample" | tr -d '\r')
  [ "$got" = "$expected" ] || {
    diff <(echo "$expected") <(echo "$got") | head >&2
    fail "установленный venmark-scan.exe ответил иначе, чем Linux"
  }
done

[ "$(origin_line "$programs/venmark-scan.exe")" = \
  "Обновления загружаются из: папка «$share» (задано в HKEY_CURRENT_USER\\Software\\Venmark\\Origin)" ] ||
  fail "venmark-scan --version не называет источник: «$(origin_line "$programs/venmark-scan.exe")»"

# Removal leaves nothing of the program, and the user's own listings alone.
mkdir -p "$home/AppData/Local/Venmark"
echo "свой список" >"$home/AppData/Local/Venmark/base.dat"
wine msiexec /x "$new" /qn || fail "$new не удаляется"
[ -z "$(entries)" ] || fail "после удаления осталась запись: $(entries)"
[ ! -e "$programs" ] || fail "после удаления осталось: $(ls -A "$programs")"
[ ! -e "$shortcut" ] || fail "после удаления остался ярлык"
[ "$(cat "$home/AppData/Local/Venmark/base.dat")" = "свой список" ] ||
  fail "удаление тронуло списки пользователя"
[ -z "$(origin_value HKCU)" ] || fail "после удаления остался источник обновлений"

# For every user, into Program Files.
mirror=https://mirror.corp/ieee
wine msiexec /i "$new" ALLUSERS=1 IEEE_ORIGIN="$mirror" /qn ||
  fail "ALLUSERS=1 не устанавливается"
[ "$(origin_value HKLM)" = "$mirror" ] ||
  fail "IEEE_ORIGIN не записан для машины: «$(origin_value HKLM)»"
[ -z "$(origin_value HKCU)" ] || fail "установка для всех тронула HKCU"
machine=$(find "$WINEPREFIX/drive_c" -path '*/Program Files*/Venmark/venmark.exe' | head -1)
[ -n "$machine" ] || fail "ALLUSERS=1 поставил программу не в Program Files"
[ "$(origin_line "$(dirname "$machine")/venmark-scan.exe")" = \
  "Обновления загружаются из: «$mirror» (задано в HKEY_LOCAL_MACHINE\\Software\\Venmark\\Origin)" ] ||
  fail "venmark-scan --version не называет источник машины"
wine msiexec /x "$new" ALLUSERS=1 /qn || fail "установка для всех не удаляется"
[ -z "$(origin_value HKLM)" ] || fail "после удаления для всех остался источник"
[ ! -e "$machine" ] || fail "после удаления для всех осталась программа"
echo "MSI ($arch): установка, обновление с 0.9.0, работа и удаление проверены"
