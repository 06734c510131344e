#!/usr/bin/env bash
# Measures the text routines of UTF-8 sources and collecting in each
# encoding, every contender a fresh process, interleaved round by round with
# its yardstick; prints the medians of the same-round ratios and the load
# average. Usage:
#   bench/run_encoding.sh [build directory] [rounds] [base build directory]
# The base build (the program before the encodings, e.g. built from an
# earlier commit) gives the default collect's "before" beside its "after".
# Data: 4 files of 50 MB from gen_csv (Windows-1251) and the same converted to
# UTF-8 by iconv, under $DATA (default /tmp/kleitab-encoding-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-5}
BASE=${3:-}
DATA=${DATA:-/tmp/kleitab-encoding-bench}

cmake --build "$BUILD" --target encoding_bench collect_bench gen_csv >/dev/null
ENC="$BUILD/bench/encoding_bench"
COLLECT="$BUILD/bench/collect_bench"

if [ ! -f "$DATA/.complete" ]; then
  rm -rf "$DATA"
  "$BUILD/bench/gen_csv" "$DATA/cp1251" 4 50000000 7
  mkdir -p "$DATA/utf8"
  for f in "$DATA"/cp1251/*.csv; do
    iconv -f CP1251 -t UTF-8 "$f" >"$DATA/utf8/$(basename "$f")"
  done
  touch "$DATA/.complete"
fi
cat "$DATA"/cp1251/*.csv "$DATA"/utf8/*.csv >/dev/null # warm the page cache

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Bytes per second of one google benchmark, in a fresh process.
rate() {
  "$ENC" --benchmark_filter="^$1\$" --benchmark_format=csv 2>/dev/null |
    awk -F, -v name="\"$1\"" '$1 == name { print $6 }'
}
# Wall seconds of one collect, in a fresh process.
collect() {
  local t0
  t0=$(now)
  "$1" "$DATA/$2" stacked "${@:3}" >/dev/null
  elapsed "$t0" "$(now)"
}

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
MB=$(cat "$DATA"/cp1251/*.csv | wc -c | awk '{ printf "%.1f", $1 / 1e6 }')
MB8=$(cat "$DATA"/utf8/*.csv | wc -c | awk '{ printf "%.1f", $1 / 1e6 }')
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$ROUNDS"); do
  memcpy=$(rate Memcpy)
  for b in ScanUtf8Ascii ScanUtf8Csv Cp1251ToUtf8Csv Utf8ToCp1251Csv; do
    r=$(rate "$b")
    echo "$r" >>"$TMP/$b.rate"
    awk -v a="$r" -v m="$memcpy" 'BEGIN { print a / m }' >>"$TMP/$b.ratio"
  done
  echo "$memcpy" >>"$TMP/Memcpy.rate"

  t0=$(now)
  cat "$DATA"/cp1251/*.csv >/dev/null
  t_cat=$(elapsed "$t0" "$(now)")
  echo "$t_cat" >>"$TMP/cat.s"
  # The default before and after take turns at going first.
  if [ -n "$BASE" ] && [ $((round % 2)) -eq 0 ]; then
    t_base=$(collect "$BASE/bench/collect_bench" cp1251)
    t_new=$(collect "$COLLECT" cp1251)
  else
    t_new=$(collect "$COLLECT" cp1251)
    [ -n "$BASE" ] && t_base=$(collect "$BASE/bench/collect_bench" cp1251)
  fi
  echo "$t_new" >>"$TMP/default.s"
  if [ -n "$BASE" ]; then
    echo "$t_base" >>"$TMP/base.s"
    awk -v a="$t_new" -v b="$t_base" 'BEGIN { print a / b }' >>"$TMP/after_over_before"
  fi
  t=$(collect "$COLLECT" cp1251 --encoding auto)
  echo "$t" >>"$TMP/auto1251.s"
  awk -v a="$t" -v b="$t_new" 'BEGIN { print a / b }' >>"$TMP/auto1251_over_default"
  t=$(collect "$COLLECT" utf8 --encoding utf-8)
  echo "$t" >>"$TMP/utf8.s"
  awk -v a="$t" -v b="$t_new" 'BEGIN { print a / b }' >>"$TMP/utf8_over_default"
  t=$(collect "$COLLECT" utf8 --encoding auto)
  echo "$t" >>"$TMP/autoutf8.s"
  awk -v a="$t" -v b="$t_new" 'BEGIN { print a / b }' >>"$TMP/autoutf8_over_default"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "rounds: $ROUNDS; medians"
echo "memcpy of 64 MiB: $(median <"$TMP/Memcpy.rate" | awk '{ printf "%.0f MB/s", $1 / 1e6 }')"
for b in ScanUtf8Ascii ScanUtf8Csv Cp1251ToUtf8Csv Utf8ToCp1251Csv; do
  printf "%s: %s, %s of memcpy\n" "$b" "$(median <"$TMP/$b.rate" | awk '{ printf "%.0f MB/s", $1 / 1e6 }')" \
    "$(median <"$TMP/$b.ratio" | awk '{ printf "%.2f", $1 }')"
done
per_s() { median <"$TMP/$1" | awk -v mb="$2" '{ printf "%.3f s, %.0f MB/s", $1, mb / $1 }'; }
echo "cat, Windows-1251 data ($MB MB): $(per_s cat.s "$MB")"
[ -n "$BASE" ] && echo "collect default, before: $(per_s base.s "$MB")"
echo "collect default, after: $(per_s default.s "$MB")"
[ -n "$BASE" ] && echo "  after / before: $(median <"$TMP/after_over_before")"
echo "collect auto, Windows-1251 files into a UTF-8 table: $(per_s auto1251.s "$MB"), / default $(median <"$TMP/auto1251_over_default")"
echo "collect utf-8, UTF-8 files ($MB8 MB): $(per_s utf8.s "$MB8"), / default $(median <"$TMP/utf8_over_default")"
echo "collect auto, UTF-8 files: $(per_s autoutf8.s "$MB8"), / default $(median <"$TMP/autoutf8_over_default")"
