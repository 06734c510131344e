#!/usr/bin/env bash
# The built program run as a user's script runs it: no display at all (a
# window would abort here, so this shows that none is made), the exit
# statuses, standard output, and nothing on standard error but errors.
# Usage: cli_process_test.sh <kleitab>
set -euo pipefail
kleitab=$(realpath "$1")
work=$(mktemp -d /tmp/kleitab-cli-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir d
printf 'a;b\r\nc\n' >d/file10.csv
printf '1\n' >d/file2.csv
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$kleitab" "$@"; }

run -o out.csv -d ';' --file-name name d 2>err.txt || fail "merge exit $?"
[ ! -s err.txt ] || fail "standard error not empty: $(cat err.txt)"
printf '1,file2,,\r\n,,,\r\na,b,file10,\r\nc,file10,,\r\n' | cmp - out.csv || fail "merge output"

run -o - -d ';' --file-name name d >stdout.csv || fail "stdout exit"
cmp stdout.csv out.csv || fail "standard output differs from the file"

run --version | grep -qx 'kleitab 1.10' || fail "--version"
run --help | grep -q 'Использование' || fail "--help"

status=0; run -o x.csv --no-such-option d 2>err.txt || status=$?
[ "$status" = 2 ] || fail "bad option exit $status"
status=0; run -o x.csv missing 2>err.txt || status=$?
[ "$status" = 1 ] || fail "missing directory exit $status"
grep -q 'missing: File not found\.' err.txt || fail "missing directory message: $(cat err.txt)"
[ ! -e x.csv ] || fail "output written after an error"
# Standard input as a source, between two files, streamed and through the table.
for mode in "" --in-memory; do
  printf 'x;y\n' | run -o in.csv $mode -d ';' --file-name name d/file2.csv - d/file2.csv || fail "stdin exit"
  printf '1,file2,,\r\n,,,\r\nx,y,-,\r\n1,file2,,\r\n' | cmp - in.csv || fail "stdin output $mode"
done

# A closed or full standard output is an error that says so.
status=0; run -o - d >&- 2>err.txt || status=$?
[ "$status" = 1 ] || fail "closed standard output exit $status"
grep -q '^kleitab: -: I/O error 9 (файл закрыт)\.$' err.txt ||
  fail "closed standard output message: $(cat err.txt)"
status=0; run -o - d >/dev/full 2>err.txt || status=$?
grep -q 'I/O error 28 (на диске нет места)' err.txt ||
  fail "full standard output: $status $(cat err.txt)"
# Two runs on one output at once: it ends up whole, as one of them wrote it.
run -o one.csv d 2>/dev/null && run -o two.csv -d ';' d 2>/dev/null
for round in 1 2 3 4 5; do
  run -o same.csv d 2>/dev/null & first=$!
  run -o same.csv -d ';' d 2>/dev/null || true
  wait "$first" || true
  cmp -s same.csv one.csv || cmp -s same.csv two.csv || fail "two runs on one output, round $round"
done
[ "$(ls -A | grep -c kleitab)" = 0 ] || fail "a temporary file was left: $(ls -A)"
echo "cli_process_test passed"
