#!/usr/bin/env bash
# Scans each field sample (samples/field/*.txt: real command outputs with
# their decoys) against Debian's listings and compares the lines with the
# expected ones beside it; then the same text with Windows (CR LF) and old
# Mac (CR) line ends, whole and through a pipe: a line end is a line end.
#   scripts/check-samples.sh VENMARK_SCAN
set -euo pipefail
scan=$1
cd "$(dirname "$0")/../samples/field"
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for input in *.txt; do
  expected=${input%.txt}.expected
  if ! diff -u "$expected" <("$scan" --db /usr/share/ieee-data/oui.txt "$input"); then
    echo "не совпало: $input" >&2
    failed=1
  fi
  sed 's/$/\r/' "$input" >"$work/crlf.txt"
  tr '\n' '\r' <"$input" >"$work/cr.txt"
  for variant in crlf cr; do
    for how in file pipe; do
      if [ $how = file ]; then
        got=$("$scan" --db /usr/share/ieee-data/oui.txt "$work/$variant.txt")
      else
        got=$(cat "$work/$variant.txt" | "$scan" --db /usr/share/ieee-data/oui.txt)
      fi
      if ! diff -u "$expected" <(printf '%s\n' "$got" | sed '/^$/d'); then
        echo "не совпало: $input со строками $variant ($how)" >&2
        failed=1
      fi
    done
  done
done
exit $failed
