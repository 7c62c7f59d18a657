#!/usr/bin/env bash
# Starts Venmark on a virtual display, pastes a sample text, clicks «Поиск»
# and saves screenshots of both windows to screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing "${VENMARK_BUILD_PACKAGES[@]}" "${VENMARK_SCREEN_PACKAGES[@]}"

build=build/release
venmark_build_release >/dev/null

work=$(mktemp -d)
out=$PWD/screenshots
mkdir -p "$out"
cp /usr/share/ieee-data/oui.txt "$work/base.dat"
sample=$PWD/samples/mixed.txt
binary=$PWD/$build/windows/venmark

display=:${VENMARK_DISPLAY:-97}
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp &
xvfb_pid=$!
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$work" && exec "$binary") &
app_pid=$!
main=$(xdotool search --sync --onlyvisible --name '^Venmark$' | head -1)
sleep 0.5
import -window "$main" "$out/form1-empty.png"

# Into the input box, type the sample, then «Поиск» (its centre).
xdotool mousemove --window "$main" 300 200 click 1
xdotool type --delay 1 --file "$sample"
xdotool mousemove --window "$main" 392 452 click 1
results=$(xdotool search --sync --onlyvisible --name '^Результаты поиска$' | head -1)
sleep 0.5
import -window "$main" "$out/form1.png"
import -window "$results" "$out/form2.png"
import -window root "$out/screen.png"
echo "Снимки экрана: $out/form1-empty.png form1.png form2.png screen.png"
