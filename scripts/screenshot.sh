#!/usr/bin/env bash
# Starts Venmark on a virtual 1280x1024 display, pastes a sample text, runs
# the search, and saves screenshots of both windows to screenshots/: at
# 100 % and 150 % scale and with an 11-point desktop font; then the same
# for the Windows build under Wine (scripts/drive-windows-gui.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing "${VENMARK_BUILD_PACKAGES[@]}" "${VENMARK_SCREEN_PACKAGES[@]}"

build=build/release
venmark_build_release >/dev/null

venmark_run_folder
work=$(mktemp -d)
out=$PWD/screenshots
mkdir -p "$out"
# Debian's listings keep their dates (2022): the main window shows an old
# listing's warning.
venmark_seed_listings "$work"
sample=$PWD/samples/mixed.txt
binary=$PWD/$build/qt/venmark

# An 11-point desktop font, as GTK's settings give it to Qt.
mkdir -p "$work/config/gtk-3.0"
printf '[Settings]\ngtk-font-name = DejaVu Sans 11\n' >"$work/config/gtk-3.0/settings.ini"

venmark_start_xvfb -dpi 96
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  kill "$VENMARK_XVFB" 2>/dev/null || true
  rm -rf "$work"
}
trap 'cleanup; venmark_remove_run_folder' EXIT

# shoot NAME [VARIABLE=VALUE...]: one run of the program with those settings.
shoot() {
  local name=$1
  shift
  (cd "$work" && exec env "$@" "$binary") &
  app_pid=$!
  local main results
  main=$(timeout 60 xdotool search --sync --onlyvisible --name '^Venmark$' | head -1)
  venmark_shot "$out/$name-form1-empty.png" "$main"
  # Into the input box, type the sample, then Ctrl+Return for «Поиск».
  xdotool mousemove --window "$main" 100 150 click 1
  xdotool type --delay 1 --file "$sample"
  xdotool key ctrl+Return
  results=$(timeout 60 xdotool search --sync --onlyvisible --name '^Результаты поиска$' | head -1)
  venmark_shot "$out/$name-form2.png" "$results"
  import -window "$main" "$out/$name-form1.png"
  import -window root "$out/$name-screen.png"
  # The results window enlarged: its box follows, long lines show whole.
  xdotool windowmove "$results" 40 40
  xdotool windowsize --sync "$results" 1000 700 2>/dev/null ||
    xdotool windowsize "$results" 1000 700
  venmark_shot "$out/$name-form2-enlarged.png" "$results"
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  echo "Снимки экрана $name: $out/$name-*.png"
}

shoot 100
shoot 150 QT_SCALE_FACTOR=1.5
shoot font11 QT_QPA_PLATFORMTHEME=gtk3 XDG_CONFIG_HOME="$work/config"

# The Windows build's windows, under Wine.
trap venmark_remove_run_folder EXIT
cleanup
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  [ "$(id -u)" -eq 0 ] && dpkg --add-architecture i386
fi
venmark_install_missing "${VENMARK_WINDOWS_PACKAGES[@]}" "${VENMARK_WINE_PACKAGES[@]}"
bash scripts/build-windows.sh >/dev/null
bash scripts/drive-windows-gui.sh x86_64 "$build/cli/venmark-scan"
