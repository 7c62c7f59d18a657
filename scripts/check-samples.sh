#!/usr/bin/env bash
# Scans each field sample (samples/field/*.txt: real command outputs with
# their decoys) against Debian's listings and compares the lines with the
# expected ones beside it.
#   scripts/check-samples.sh VENMARK_SCAN
set -euo pipefail
scan=$1
cd "$(dirname "$0")/../samples/field"
failed=0
for input in *.txt; do
  expected=${input%.txt}.expected
  if ! diff -u "$expected" <("$scan" --db /usr/share/ieee-data/oui.txt "$input"); then
    echo "не совпало: $input" >&2
    failed=1
  fi
done
exit $failed
