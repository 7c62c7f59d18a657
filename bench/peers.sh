#!/usr/bin/env bash
# The three workloads beside their yardsticks, as whole processes; each
# pair runs in turn in one hyperfine run and its ratio is of the medians:
#   one MAC            against cat of the listings into a file
#   W1 (100,000 MACs)  against its floor: cat of the listings and cat of
#                      W1's own result, each into a file
#   the 200 MB syslog  against cat of it into a file
#   W1 with 100,000 named ranges against W1 without them
#   W1 without the listings' index against W1 with it
# then the peers (grep and awk) and each workload's peak memory.
#   bench/peers.sh VENMARK_SCAN
# in a folder holding base.dat and the listings beside it. Needs hyperfine,
# python3 and GNU time.
set -euo pipefail
scan=$(realpath "$1")
make=${MAKE_SAMPLE_TEXT:-$(dirname "$scan")/../bench/make-sample-text}
[ -f w1.txt ] || "$make" 100000 >w1.txt
[ -f syslog.txt ] || "$make" --syslog 200 >syslog.txt
echo "00:1a:2b:3c:4d:5e" >one.txt
listings=$(ls base*.dat | tr '\n' ' ')
"$scan" w1.txt >w1-result.txt

# The median of each command of hyperfine's JSON $1, and the first's
# ratio to the second's.
ratio() {
  python3 - "$1" "$2" <<'PY'
import json, statistics, sys
runs = json.load(open(sys.argv[1]))["results"]
medians = [statistics.median(r["times"]) * 1000 for r in runs]
print(f"{sys.argv[2]}: {medians[0]:.1f} ms against {medians[1]:.1f} ms: "
      f"{medians[0] / medians[1]:.2f}x")
PY
}
hyperfine --warmup 3 --runs 40 --export-json one.json \
  "$scan one.txt > out-one.txt" "cat $listings > out-cat.txt" >/dev/null
ratio one.json "one MAC / cat of the listings"
hyperfine --warmup 2 --runs 20 --export-json w1.json \
  "$scan w1.txt > out-scan.txt" \
  "cat $listings > out-cat.txt; cat w1-result.txt > out-w1.txt" >/dev/null
ratio w1.json "W1 / its floor"
# W1 again with 100,000 ranges of the administrator's own names, against
# W1 without them.
if [ ! -f ranges/venmark/names.txt ]; then
  mkdir -p ranges/venmark
  python3 - >ranges/venmark/names.txt <<'PY'
import random
random.seed(1)
for i in range(100000):
    bits = random.choice((28, 32, 36, 40))
    value = random.getrandbits(48) & ~((1 << (48 - bits)) - 1)
    print(f"{value:012X}/{bits} range {i}")
PY
fi
hyperfine --warmup 2 --runs 20 --export-json ranges.json \
  "XDG_DATA_HOME=$PWD/ranges $scan w1.txt > out-scan.txt" \
  "$scan w1.txt > out-scan.txt" >/dev/null
ratio ranges.json "W1 with 100,000 named ranges / W1 without"
# The runs above answer from the listings' index in the user's cache
# folder, made by the first; a cache folder that cannot be made (a file
# stands where it would go) leaves every run to read the listings.
hyperfine --warmup 2 --runs 20 --export-json unindexed.json \
  "XDG_CACHE_HOME=$PWD/one.txt $scan w1.txt > out-scan.txt" \
  "$scan w1.txt > out-scan.txt" >/dev/null
ratio unindexed.json "W1 without the index / with it"
hyperfine --warmup 1 --runs 7 --export-json syslog.json \
  "$scan syslog.txt > out-scan.txt" "cat syslog.txt > out-cat.txt" >/dev/null
ratio syslog.json "200 MB syslog / cat of it"

# The peers: grep finds the MACs, awk joins them with the MA-L listing, in
# the C locale and in the one the shell has (C.UTF-8 on Debian, where grep
# reads multibyte characters).
cat >peer.awk <<'AWK'
NR == FNR { if ($2 == "(hex)") { k = $1; $1 = ""; $2 = ""; v[k] = substr($0, 3) } next }
{ m = toupper($0); gsub(/[^0-9A-F]/, "", m)
  k = substr(m, 1, 2) "-" substr(m, 3, 2) "-" substr(m, 5, 2)
  print $0 " - " (k in v ? v[k] : "производитель не определен") }
AWK
regex='([0-9a-fA-F]{2}[:-]){5}[0-9a-fA-F]{2}|[0-9a-fA-F]{4}\.[0-9a-fA-F]{4}\.[0-9a-fA-F]{4}'
hyperfine --warmup 1 --runs 5 --export-markdown peers.md \
  "$scan w1.txt > out-scan.txt" \
  "LC_ALL=C grep -oE '$regex' w1.txt | LC_ALL=C awk -f peer.awk base.dat - > out-peer.txt" \
  "grep -oE '$regex' w1.txt | awk -f peer.awk base.dat - > out-peer.txt"

# Peak memory (the largest resident set) of each workload, by GNU time
# (Debian's package time).
for input in one.txt w1.txt syslog.txt; do
  /usr/bin/time -f "peak memory, $input: %M KB" "$scan" "$input" >/dev/null
done
