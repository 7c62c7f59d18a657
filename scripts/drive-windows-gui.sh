#!/usr/bin/env bash
# Drives the Windows venmark.exe under Wine on a virtual display as a user
# would: pastes a text, searches with Ctrl+Return, searches again, reads the
# results window through the clipboard, and leaves with «Выход». Saves
# screenshots of both windows to screenshots/windows-ARCH-*.png and fails
# when the results or the exit are not what they should be.
#   scripts/drive-windows-gui.sh ARCH LINUX_VENMARK_SCAN
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
arch=$1
linux_scan=$(realpath "$2")
exe=$PWD/build/windows-$arch/win32/venmark.exe
out=$PWD/screenshots
mkdir -p "$out"
venmark_wine_env

work=$(mktemp -d)
venmark_seed_listings "$work"

venmark_start_xvfb
app=""
cleanup() {
  # What the screen showed when it went wrong.
  [ -n "$app" ] && import -window root "$out/$name-failure.png" 2>/dev/null
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$VENMARK_XVFB" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
dpi=${VENMARK_WINE_DPI:-96}
venmark_wine_on_display "$dpi"
name=windows-$arch
[ "$dpi" = 96 ] || name=windows-$arch-dpi$dpi

(cd "$work" && exec timeout -k 5 1800 wine "$exe") &
app=$!
main=$(timeout 60 xdotool search --sync --onlyvisible --name '^Venmark$' | head -1)
xdotool windowfocus --sync "$main"

# Types text into the input box through the clipboard (xdotool cannot type
# Cyrillic into Wine) and searches with Ctrl+Return. The keys queue behind
# the paste, which the box takes from the clipboard before the next key.
search() {
  printf '%s' "$1" | xclip -selection clipboard
  # xclip takes the clipboard from the background: a Ctrl+V before it has
  # would paste the text before.
  venmark_wait_until 10 "буфер обмена не принял текст" clipboard_holds "$1"
  # Above the results window, which may cover it on a small screen.
  xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
  xdotool mousemove --window "$main" 200 200 click 1
  # Wine may hand the keyboard over after the click: keys sent before it
  # has would go to the results window.
  venmark_wait_until 10 "окно Venmark не получило фокус" main_focused
  xdotool key ctrl+a ctrl+v ctrl+Return
}
# The whole results text once it holds at least $1 lines (two minutes at
# the most), copied out of its box with Ctrl+A, Ctrl+C. No fixed pause
# decides: the clipboard is read until it holds that much.
results_text() {
  local want=$1 got="" deadline=$((SECONDS + 120))
  # xclip stays behind to serve the clipboard: not on this function's
  # output, which $(...) would wait for.
  printf '' | xclip -selection clipboard >/dev/null 2>&1
  while [ $SECONDS -lt $deadline ]; do
    xdotool windowfocus --sync "$results"
    xdotool mousemove --window "$results" 100 100 click 1
    xdotool key ctrl+a ctrl+c
    venmark_wait_until 5 "буфер обмена пуст" clipboard_filled || true
    got=$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r')
    [ "$(printf '%s\n' "$got" | grep -c .)" -ge "$want" ] && break
    printf '' | xclip -selection clipboard >/dev/null 2>&1
  done
  printf '%s\n' "$got"
}
clipboard_filled() {
  [ -n "$(xclip -selection clipboard -o 2>/dev/null)" ]
}
main_focused() {
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main" ]
}
clipboard_holds() {
  [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$1" ]
}
first=$(cat samples/ipconfig-all.txt)
second=$(cat samples/huawei-display-mac-address.txt)
search "$first"
results=$(timeout 30 xdotool search --sync --onlyvisible --name '^Результаты поиска$' | head -1)
search "$second"
expected=$(cd "$work" && printf '%s' "$first" | "$linux_scan" && printf '%s' "$second" | "$linux_scan")
got=$(results_text "$(printf '%s\n' "$expected" | grep -c .)")
import -window "$main" "$out/$name-form1.png"
import -window "$results" "$out/$name-form2.png"
import -window root "$out/$name-screen.png"

if [ "$got" != "$expected" ]; then
  echo "venmark.exe ($arch) показал не те результаты:" >&2
  diff <(echo "$expected") <(echo "$got") | head -20 >&2
  exit 1
fi

# A megabyte pasted at once: a multi-line box takes only 32 K characters
# unless told otherwise.
big=$(seq 20000 | sed 's/.*/   Physical Address. . . . . . . . . : 00-50-56-00-00-01/')
search "$big"
lines=$(results_text $(( $(printf "%s\n" "$expected" | grep -c .) + 20000 )) | grep -c '^00-50-56-00-00-01 - VMware, Inc.' || true)
if [ "$lines" -ne 20000 ]; then
  echo "venmark.exe ($arch): из 20000 MAC-адресов мегабайтного текста найдено $lines" >&2
  exit 1
fi

# «Выход»: Tab from the text box to «Поиск», then to «Выход», and Return.
xdotool windowfocus --sync "$main"
xdotool mousemove --window "$main" 200 200 click 1
xdotool key Tab Tab Return
venmark_wait_until 10 "venmark.exe ($arch) не закрылся по «Выход»" \
  sh -c '! kill -0 "$0" 2>/dev/null' "$app"
app=""
echo "venmark.exe ($arch): поиск, накопление результатов и выход работают; снимки в $out"
