#!/usr/bin/env bash
# Checks the house's rules no compiler keeps: every include of a project
# header points down the floors (scan <- listings <- update <- app <- qt,
# win32, cli; testing, bench and fuzz above them all; tests may use
# testing/), the system's own calls of listings/ and cli/ stand in their
# per-system files, and every C++ file is as .clang-format lays it out.
#   scripts/check-floors.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# The floors a folder's files may include from, its own among them.
declare -A below=(
  [scan]="scan"
  [listings]="scan listings"
  [update]="scan listings update"
  [app]="scan listings update app"
  [qt]="scan listings update app qt"
  [win32]="scan listings update app win32"
  [cli]="scan listings update app cli"
  [testing]="scan listings update app qt win32 cli testing"
  [bench]="scan listings update app qt win32 cli testing bench"
  [fuzz]="scan listings update app qt win32 cli testing fuzz"
)
failed=0
while IFS= read -r file; do
  floor=${file%%/*}
  allowed=${below[$floor]:-}
  [ -n "$allowed" ] || continue
  # A test may use the test doubles and fixtures of testing/.
  case $file in *_test.cc) allowed="$allowed testing" ;; esac
  while IFS= read -r included; do
    target=${included%%/*}
    [ -n "${below[$target]:-}" ] || continue  # a header of a library
    if [[ " $allowed " != *" $target "* ]]; then
      echo "$file: #include \"$included\" points up or sideways" >&2
      failed=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.cc' '*.h')

# In listings/ and cli/ the system's own calls live in files of their own
# (*_posix.cc, *_win32.cc): no other product file there names a system
# header or asks which system it is built for.
while IFS= read -r file; do
  case $file in *_posix.cc | *_win32.cc | *_test.cc) continue ;; esac
  if grep -nE '^#include <(windows|unistd|pwd|io|fcntl|sys/[a-z]+)\.h>|_WIN32' \
    "$file" >&2; then
    echo "$file: системное место вне файлов *_posix.cc и *_win32.cc" >&2
    failed=1
  fi
done < <(git ls-files 'listings/*.cc' 'listings/*.h' 'cli/*.cc' 'cli/*.h')

# The layout .clang-format gives, file by file.
mapfile -t sources < <(git ls-files '*.cc' '*.h')
if ! timeout 300 clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/format.$$; then
  grep -o '^[^: ]*\.\(cc\|h\)' /tmp/format.$$ | sort -u | head -n 20 >&2
  echo "Не по .clang-format: clang-format -i на этих файлах" >&2
  failed=1
fi
rm -f /tmp/format.$$
[ $failed -eq 0 ] && echo "Этажи и оформление в порядке"
exit $failed
