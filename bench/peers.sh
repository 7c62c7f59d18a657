#!/usr/bin/env bash
# The three workloads side by side with their peers and their yardsticks,
# as whole processes, each pair in one run:
#   one MAC           against cat of the four listings (the floor: reading them)
#   W1 (100,000 MACs) against one MAC with the same listings
#   the 200 MB syslog against cat of it into a file
#   bench/peers.sh VENMARK_SCAN
# in a folder holding base.dat and its companions. Needs hyperfine.
set -euo pipefail
scan=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
make=${MAKE_SAMPLE_TEXT:-$(dirname "$scan")/../bench/make-sample-text}
[ -f w1.txt ] || "$make" 100000 >w1.txt
[ -f syslog.txt ] || "$make" --syslog 200 >syslog.txt
echo "00:1a:2b:3c:4d:5e" >one.txt
# The awk peer: grep finds the MACs, awk joins them with the MA-L listing.
cat >peer.awk <<'AWK'
NR == FNR { if ($2 == "(hex)") { k = $1; $1 = ""; $2 = ""; v[k] = substr($0, 3) } next }
{ m = toupper($0); gsub(/[^0-9A-F]/, "", m)
  k = substr(m, 1, 2) "-" substr(m, 3, 2) "-" substr(m, 5, 2)
  print $0 " - " (k in v ? v[k] : "производитель не определен") }
AWK
regex='([0-9a-fA-F]{2}[:-]){5}[0-9a-fA-F]{2}|[0-9a-fA-F]{4}\.[0-9a-fA-F]{4}\.[0-9a-fA-F]{4}'
hyperfine -N --warmup 3 --export-markdown one-mac.md \
  "$scan one.txt" "cat base.dat base-mam.dat base-mas.dat base-iab.dat"
# Into files: GNU grep stops at the first match when its output is
# /dev/null.
# The peer twice: in the C locale, and in the one the shell has (C.UTF-8 on
# Debian, where grep reads multibyte characters). Beside them the floor
# under W1 whatever does the work: cat writing W1's result into a file.
"$scan" w1.txt >w1-result.txt
hyperfine --warmup 1 --export-markdown w1.md \
  "$scan w1.txt > out-scan.txt" \
  "$scan one.txt > out-one.txt" \
  "cat w1-result.txt > out-cat.txt" \
  "LC_ALL=C grep -oE '$regex' w1.txt | LC_ALL=C awk -f peer.awk base.dat - > out-peer.txt" \
  "grep -oE '$regex' w1.txt | awk -f peer.awk base.dat - > out-peer.txt"
hyperfine --warmup 1 --runs 5 --export-markdown syslog.md \
  "$scan syslog.txt > out-scan.txt" \
  "cat syslog.txt > out-cat.txt" \
  "LC_ALL=C grep -oE '([0-9a-fA-F]{2}[:-]){5}[0-9a-fA-F]{2}' syslog.txt > out-peer.txt"
