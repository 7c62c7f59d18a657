#!/usr/bin/env bash
# Sourced by the other scripts: installing what is missing and building.

# Installs those of the given Debian packages that are not installed yet
# (apt-get, through sudo when not root).
venmark_install_missing() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
        grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
      echo "Нужны пакеты ${missing[*]}, но нет ни прав root, ни sudo." >&2
      return 1
    }
    sudo="sudo"
  fi
  echo "Устанавливаю пакеты: ${missing[*]}"
  $sudo apt-get update -q || return 1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
}

# What building the programs needs.
VENMARK_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev
  qt6-translations-l10n libcurl4-openssl-dev ca-certificates fonts-dejavu-core
  fonts-liberation2 ieee-data)
# What the tests and benchmarks need on top.
VENMARK_TEST_PACKAGES=(libgtest-dev libcpp-httplib-dev libbenchmark-dev clang
  libclang-rt-14-dev clang-format)
# What building and checking the Debian package needs.
VENMARK_PACKAGE_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream)
# What cross-compiling for Windows needs, and running the result.
VENMARK_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix googletest)
VENMARK_WINE_PACKAGES=(wine wine64 wine32:i386 xvfb xdotool xclip imagemagick
  x11-utils wixl msitools zip python3)
# What driving the GUI under a virtual display needs.
VENMARK_SCREEN_PACKAGES=(xvfb xdotool imagemagick x11-utils qt6-gtk-platformtheme)

# Builds the programs, without tests, into build/release.
venmark_build_release() {
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVENMARK_BUILD_TESTS=OFF -DVENMARK_BUILD_BENCH=OFF >/dev/null &&
    cmake --build build/release --parallel "$(nproc)"
}

# The table of listing kinds, from the program itself: a line a kind,
# tab-separated: kind, IEEE path, Debian's name or "-", ours, required or
# optional. The program is $VENMARK_LINUX_SCAN, else the release build's or
# the test build's.
venmark_listing_kinds() {
  local scan=${VENMARK_LINUX_SCAN:-}
  if [ -z "$scan" ]; then
    for scan in build/release/cli/venmark-scan build/asan/cli/venmark-scan; do
      [ -x "$scan" ] && break
    done
  fi
  if [ ! -x "$scan" ]; then
    echo "Нет собранного venmark-scan: таблицу видов списков взять неоткуда" >&2
    return 1
  fi
  ASAN_OPTIONS=detect_leaks=0 timeout 30 "$scan" --list-kinds
}

# Copies Debian's IEEE listings (each kind ieee-data has a file of) into
# folder $1 under the names the programs look for, keeping their dates;
# with $2 = "new", only those not there yet, each told.
venmark_seed_listings() {
  local ieee=/usr/share/ieee-data kinds kind path debian ours required
  kinds=$(venmark_listing_kinds) || return 1
  while IFS=$'\t' read -r kind path debian ours required; do
    [ "$debian" != - ] || continue
    if [ "${2:-}" = new ]; then
      [ ! -e "$1/$ours" ] && [ -e "$ieee/$debian" ] || continue
      echo "$ours взят из $ieee/$debian"
    fi
    cp -p "$ieee/$debian" "$1/$ours" || return 1
  done <<<"$kinds"
}

# The names of the listings seeded from ieee-data (base.dat …), a line each.
venmark_seeded_names() {
  venmark_listing_kinds | awk -F'\t' '$3 != "-" { print $4 }'
}

# Fails with message $2 unless command $3... succeeds within $1 seconds,
# tried every tenth of a second: no fixed pause decides anything.
venmark_wait_until() {
  local seconds=$1 message=$2 deadline
  shift 2
  deadline=$((SECONDS + seconds))
  until "$@"; do
    if [ $SECONDS -ge "$deadline" ]; then
      echo "Не дождались за $seconds с: $message" >&2
      return 1
    fi
    sleep 0.1
  done
}

# Runs outside program $2... under a deadline of $1 seconds: one that hangs
# (a clipboard owner that never answers, a Wine dialog no one sees, a grab
# of a window that went away) is stopped, and the run fails with a message
# instead of waiting for ever. Its exit status, 124 when it was stopped.
venmark_deadline() {
  local seconds=$1 status=0
  shift
  timeout -k 5 "$seconds" "$@" || status=$?
  if [ "$status" = 124 ] || [ "$status" = 137 ]; then
    echo "«$*» не ответил за $seconds с и остановлен" >&2
  fi
  return "$status"
}

# Every call of these in a script that sources this file has its own
# deadline (timeout runs the program itself, not these functions).
xclip() { venmark_deadline 10 xclip "$@"; }
xdotool() { venmark_deadline 60 xdotool "$@"; }
import() { venmark_deadline 30 import "$@"; }
xdpyinfo() { venmark_deadline 10 xdpyinfo "$@"; }
wine() { venmark_deadline "${VENMARK_WINE_DEADLINE:-600}" wine "$@"; }
wineserver() { venmark_deadline 60 wineserver "$@"; }

# A scratch folder of this run's own, for the scripts it starts too: every
# temporary file goes there (TMPDIR), so that two runs side by side never
# meet in /tmp. The caller removes it (venmark_remove_run_folder) on exit.
venmark_run_folder() {
  if [ -z "${VENMARK_RUN_DIR:-}" ]; then
    VENMARK_RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/venmark-run.XXXXXX")
    export VENMARK_RUN_DIR TMPDIR=$VENMARK_RUN_DIR
    VENMARK_RUN_OWNER=$$
  fi
}
venmark_remove_run_folder() {
  # Only the shell that made it, after the Wine server of its prefix.
  [ "${VENMARK_RUN_OWNER:-}" = $$ ] || return 0
  WINEPREFIX=$VENMARK_RUN_DIR/wine wineserver -k 2>/dev/null || true
  rm -rf "$VENMARK_RUN_DIR"
}

# Starts a virtual 1280x1024 display on the first free number (further
# Xvfb options as arguments), waits until it answers and makes it the
# DISPLAY; its pid goes into VENMARK_XVFB.
venmark_start_xvfb() {
  local numbers
  numbers=$(mktemp)
  # A display no cleanup stopped goes on its own within the hour.
  timeout 3600 Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "$@" \
    3>"$numbers" &
  VENMARK_XVFB=$!
  venmark_wait_until 30 "Xvfb не назвал свой дисплей" test -s "$numbers"
  export DISPLAY=:$(head -n 1 "$numbers")
  rm -f "$numbers"
  venmark_wait_until 30 "дисплей $DISPLAY не отвечает" xdpyinfo >/dev/null 2>&1
}

# Wine for this run: a prefix of the run's own (else of this clone's build,
# or $WINEPREFIX), no Mono or Gecko (nothing here needs them, and asking
# for them would hang), no debug output.
# Whether this kernel runs 32-bit programs (some virtual machines' do not).
venmark_runs_32bit() {
  timeout 30 /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# Debian's wine (and wine-stable, which wineboot calls) starts the 32-bit
# loader whenever wine32 is installed; where the kernel runs no 32-bit
# program, a wine of this run's own, first on PATH, starts the 64-bit one
# for the x86_64 programs.
venmark_wine64_only() {
  venmark_runs_32bit && return 0
  local bin=${VENMARK_RUN_DIR:-$PWD/build}/wine64-only name
  mkdir -p "$bin"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
      >"$bin/$name"
    chmod +x "$bin/$name"
  done
  case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
}

venmark_wine_env() {
  venmark_wine64_only
  export WINEPREFIX=${WINEPREFIX:-${VENMARK_RUN_DIR:-$PWD/build}/wine}
  export WINEDEBUG=-all
  export WINEARCH=${WINEARCH:-win64}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
  [ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1 || true
}

# A Wine server started by console programs before has no display: this
# one starts afresh on ours, at DPI $1 (96: 100 %). Only this run's prefix
# is touched.
venmark_wine_on_display() {
  [ -n "${WINEPREFIX:-}" ] || venmark_wine_env
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
}

# A screenshot of window $2 into file $1 once it is painted (it holds more
# than a few colours; ten seconds at the most, then it is taken as it is).
venmark_shot() {
  venmark_wait_until 10 "окно $2 не нарисовано" venmark_painted "$2" || true
  import -window "$2" "$1"
}
venmark_painted() {
  [ "$(timeout 2 import -window "$1" -format %k info: 2>/dev/null || echo 0)" -gt 4 ]
}
