#!/usr/bin/env bash
# Drives the update of the Windows venmark.exe under Wine on a virtual
# display as a user would, against a local stand-in for the IEEE's server
# (VENMARK_IEEE_ORIGIN): «Обновить базу…», the confirmation answered with
# OK, the progress window, «Отмена» on a stalled transfer (the old listings
# stay byte for byte), a refused download ending in the error box, and a
# good one ending in «Синхронизация завершена» with the listings replaced.
# (Wine's message boxes give no text to the clipboard: which box came is
# told by the files, and the screenshots show it.)
# Saves screenshots of each step to screenshots/windows-ARCH-update-*.png.
#   scripts/drive-windows-update.sh ARCH
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
arch=$1
exe=$PWD/build/windows-$arch/win32/venmark.exe
out=$PWD/screenshots
mkdir -p "$out"
venmark_wine_env
name=windows-$arch-update

work=$(mktemp -d)
served=$work/server
mkdir "$served"
ieee=/usr/share/ieee-data
for file in $(venmark_listing_kinds | awk -F'\t' '$3 != "-" { print $3 }'); do
  cp "$ieee/$file" "$served/"
done
venmark_seed_listings "$work"
# The served listings differ from the old ones by a record, so that a
# replaced file can be told.
printf '00-00-00   (hex)\t\tVENMARK TEST\r\n000000     (base 16)\t\tVENMARK TEST\r\n\r\n' \
  >>"$served/oui.txt"
echo stall >"$served/mode"
python3 testing/listing_server.py "$served" "$work/port" &
server=$!
venmark_wait_until 30 "сервер списков не назвал порт" test -s "$work/port"

venmark_start_xvfb
app=""
cleanup() {
  [ -n "$app" ] && import -window root "$out/$name-failure.png" 2>/dev/null
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$VENMARK_XVFB" "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
venmark_wine_on_display "${VENMARK_WINE_DPI:-96}"

fail() { echo "обновление в venmark.exe ($arch): $*" >&2; exit 1; }
(cd "$work" && VENMARK_IEEE_ORIGIN=http://127.0.0.1:$(cat "$work/port") \
  exec timeout -k 5 1800 wine "$exe") &
app=$!
main=$(timeout 60 xdotool search --sync --onlyvisible --name '^Venmark$' | head -1)

# A message box (called Venmark, not the main window), waited for up to a
# minute; not $1.
other_window() {
  local found
  found=$(mktemp)
  venmark_wait_until 60 "окно не появилось" another_window "$found" "${1:-}" ||
    fail "окно не появилось"
  cat "$found"
}
another_window() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Venmark$' 2>/dev/null); do
    [ "$id" != "$main" ] && [ "$id" != "$2" ] && { echo "$id" >"$1"; return 0; }
  done
  return 1
}
# The progress window, waited for up to a minute.
progress_window() {
  timeout 60 xdotool search --sync --onlyvisible --name '^Venmark — загрузка$' |
    head -1 | grep . || fail "нет окна хода загрузки"
}
# Presses keys in window $1, given the focus by a click at its corner
# (there is no window manager to activate it).
keys_to() {
  local window=$1
  shift
  xdotool mousemove --window "$window" 8 8 click 1 2>/dev/null ||
    fail "окно исчезло раньше времени"
  xdotool key "$@"
}
# Waits until window $1 is gone (a minute at the most).
gone() {
  venmark_wait_until 60 "окно $1 не закрылось" window_gone "$1" ||
    fail "окно не закрылось"
}
window_gone() {
  ! xdotool search --onlyvisible --name '^Venmark' 2>/dev/null | grep -qx "$1"
}
# «Обновить базу…» from the keyboard: Tab from the text box to the
# third button, Return.
press_update() {
  xdotool mousemove --window "$main" 200 200 click 1
  xdotool key Tab Tab Tab Return
}
# A screenshot of the screen named $1 once window $2 is painted.
shot() {
  venmark_wait_until 10 "окно $2 не нарисовано" venmark_painted "$2" || true
  import -window root "$out/$name-$1.png"
}
# Each listing the program keeps and the IEEE's file it comes from.
listings=$(venmark_listing_kinds | awk -F'\t' '$3 != "-" { print $4 ":" $3 }')
# Fails ($2) unless every listing in the work folder equals its file in
# folder $1, and no temporary file is left.
listings_as_in() {
  local pair
  for pair in $listings; do
    cmp -s "$work/${pair%%:*}" "$1/${pair#*:}" || fail "$2: ${pair%%:*}"
  done
  ! ls "$work" | grep -q '\.new-' || fail "$2: остались временные файлы"
}
# With the server answering as $1, an update through the windows ends in a
# message box: confirmed, waited for, shot as $2 and closed.
update_to_box() {
  echo "$1" >"$served/mode"
  press_update
  local confirm box
  confirm=$(other_window)
  keys_to "$confirm" Return
  gone "$confirm"
  box=$(other_window "$confirm")
  shot "$2" "$box"
  keys_to "$box" Return
  gone "$box"
}

# A stalled transfer, cancelled.
press_update
confirm=$(other_window)
shot 1-confirm "$confirm"
keys_to "$confirm" Return
progress=$(progress_window)
shot 2-progress "$progress"
keys_to "$progress" Escape  # «Отмена»
gone "$progress"
listings_as_in "$ieee" "после «Отмена» изменён"

# A page that is no listing: the error box, nothing replaced.
update_to_box bad 3-refused
listings_as_in "$ieee" "после отказа изменён"

# The listings whole: «Синхронизация завершена», all four replaced.
update_to_box ok 4-done
listings_as_in "$served" "не заменён"
xdotool mousemove --window "$main" 200 200 click 1
xdotool key Tab Tab Return  # «Выход»
venmark_wait_until 10 "venmark.exe жив после «Выход»" \
  sh -c '! kill -0 "$0" 2>/dev/null' "$app" || fail "не закрылся по «Выход»"
app=""
echo "venmark.exe ($arch): обновление через окна — отмена, отказ и успех; снимки в $out"
