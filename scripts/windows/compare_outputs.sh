#!/usr/bin/env bash
# The same random folders merged by the Linux program and by the Windows one
# under Wine, with the same options, give byte-identical files (the name
# cell holds the bare file name: full paths differ by design).
# Argument: the Windows console program (kleitab.com). Wine's environment
# comes from wine_env.sh, sourced by the caller.
set -euo pipefail
windows_program=$(realpath "$1")
cd "$(dirname "$0")/../.."
root=$(pwd)
linux_build=build-win/linux
cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKLEITAB_BUILD_TESTS=OFF -DKLEITAB_BUILD_BENCH=OFF >/dev/null
cmake --build "$linux_build" --target kleitab >/dev/null
linux_program=$root/$linux_build/app/kleitab

work=$(mktemp -d /tmp/kleitab-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 scripts/windows/random_folders.py "$work" 12

option_sets=(
  ""
  "--side-by-side"
  "--file-name name"
  "--side-by-side --file-name name --skip 1"
  "-d ; --output-delimiter tab"
  "--utf8 --encoding auto"
  "--encoding auto --bom --utf8 --file-name name"
  "--quotes --header --match-headers --quote-output --utf8 --encoding auto"
  "--in-memory --escape"
)
compared=0
different=0
# The files are named in one order for both: how each system orders a
# folder's names is its own (Wine's numeric collation puts "file0" after
# "file10"), and the Windows layer's own tests look at the listing.
for folder in "$work"/folder*/; do
  mapfile -t files < <(cd "$folder" && ls -1 | grep -i '\.csv$' | LC_ALL=C sort)
  for options in "${option_sets[@]}"; do
    # Exit statuses and files are compared; messages name full paths.
    linux_rc=0
    windows_rc=0
    # shellcheck disable=SC2086
    (cd "$folder" && "$linux_program" -q -o "$work/linux.out" $options "${files[@]}") \
      >/dev/null 2>"$work/linux.err" || linux_rc=$?
    # shellcheck disable=SC2086
    (cd "$folder" && "$WINE_LOADER" "$windows_program" -q -o "$(winpath "$work/windows.out")" \
      $options "${files[@]}") >/dev/null 2>"$work/windows.err" || windows_rc=$?
    compared=$((compared + 1))
    if [ "$linux_rc" != "$windows_rc" ] || ! cmp -s "$work/linux.out" "$work/windows.out"; then
      different=$((different + 1))
      echo "differs: $(basename "$folder") with options '$options' (exit $linux_rc / $windows_rc)"
      cmp "$work/linux.out" "$work/windows.out" | head -n 2 || true
      grep -v "Read access denied" "$work/windows.err" | head -n 3 || true
    fi
    rm -f "$work/linux.out" "$work/windows.out"
  done
done
echo "$((compared - different)) passed, $different failed"
[ "$different" -eq 0 ]
