#!/usr/bin/env bash
# The preview of a 2 GB file and "Определить" on 1,000 files (plain, and
# with quoted fields holding commas), beside the
# yardstick `head -c 65536` of the same files (GNU coreutils: reading the
# starts and nothing else), each a fresh process, interleaved round by round.
# Usage: bench/run_detect.sh [build directory] [rounds=5]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-5}
DATA=bench/data
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKLEITAB_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target detect_bench gen_csv >/dev/null
BENCH="$BUILD/bench/detect_bench"
mkdir -p "$DATA"
if [ ! -f "$DATA/huge/.complete" ]; then
  rm -rf "$DATA/huge" && "$BUILD/bench/gen_csv" "$DATA/huge" 1 2147483648 7
  touch "$DATA/huge/.complete"
fi
if [ ! -f "$DATA/thousand/.complete" ]; then
  rm -rf "$DATA/thousand" && "$BUILD/bench/gen_csv" "$DATA/thousand" 1000 100000 8
  touch "$DATA/thousand/.complete"
fi
if [ ! -f "$DATA/thousand-quoted/.complete" ]; then
  rm -rf "$DATA/thousand-quoted"
  "$BUILD/bench/gen_csv" "$DATA/thousand-quoted" 1000 100000 9 --quoted
  touch "$DATA/thousand-quoted/.complete"
fi
huge=$(ls "$DATA"/huge/*.csv | head -1)
cat "$DATA"/thousand/*.csv > /dev/null # warm the page cache
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$ROUNDS"); do
  echo "-- round $round"
  "$BENCH" preview "$huge"
  /usr/bin/time -f "head -c 65536 of the 2 GB file: %e s" head -c 65536 "$huge" > /dev/null
  "$BENCH" detect "$DATA/thousand"
  "$BENCH" detect "$DATA/thousand-quoted"
  /usr/bin/time -f "head -c 65536 of 1,000 files: %e s" \
    sh -c "head -q -c 65536 $DATA/thousand/*.csv > /dev/null"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
