#!/usr/bin/env bash
# The tidying tools as a user meets them, under a virtual X server (run
# through xvfb-run) with real input events (xdotool): a file collected with
# its first line as the header, then a Ctrl+click on a column header (sort),
# "Удалить повторяющиеся строки" from the grid's menu, Ctrl+F with "Найти
# далее" and "Заменить все" in the find dialog, and a save whose bytes show
# what the tools did. The grid's menu, a header's menu and the find dialog
# are photographed.
#
# Usage: tidy_walk.sh <kleitab> <widget probe library> [<screenshot directory>]
set -euo pipefail

kleitab=$(realpath "$1")
probe_library=$(realpath "$2")
shots=${3:-}
[ -n "${DISPLAY:-}" ] || { echo "no X display: run under xvfb-run" >&2; exit 1; }
command -v xdotool > /dev/null || { echo "xdotool is missing" >&2; exit 1; }
command -v import > /dev/null || { echo "imagemagick's import is missing" >&2; exit 1; }

work=$(mktemp -d /tmp/kleitab-tidy-XXXXXX)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then kill "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/probe" ] && grep -vE '^(qt_|_q_)' "$work/probe" | cut -f1,6-8 | head -n 80 >&2
  exit 1
}
cp1251() { iconv -f UTF-8 -t CP1251; }

start=$work/start
data=$work/data
mkdir -p "$start" "$data" "$work/bin"
printf 'Город;Сумма\r\nТверь;10\r\nОмск;2,5\r\nТверь;10\r\nМосква;-3\r\n' | cp1251 > "$data/a.csv"
printf '#!/bin/sh\n' > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
printf '%s\r\n' "Edit1=итог.txt" "Edit2=;" "Edit3=1" "CheckBox1=FALSE" "CheckBox2=TRUE" \
  "CheckBox3=FALSE" "CheckBox4=TRUE" "CheckBox5=TRUE" "CheckBox6=FALSE" \
  "ComboBox1=Собрать по вертикали " "ComboBox2=," "direct=$data" "CheckBox8=TRUE" |
  cp1251 > "$start/init.ini"
# Sorted by Сумма (numbers by value, the header on top), the repeated
# "Тверь;10" gone, "10" replaced by "20"; UTF-8, "," escaped.
expected=$work/expected
printf 'Город,Сумма,\r\nМосква,-3,\r\nОмск,2#445,\r\nТверь,20,\r\n' > "$expected"

runtimes=$(ldd "$kleitab" | grep -oE '/[^ ]*lib(asan|ubsan)\.so[^ ]*' | sort || true)
preload=$(echo $runtimes "$probe_library")
probe=$work/probe
field() { awk -F'\t' -v n="$1" -v c="$2" '$1 == n { print $c; exit }' "$probe" 2> /dev/null; }
wait_for() {
  local i
  for i in $(seq 1 600); do
    kill -0 "$pid" 2> /dev/null || fail "the program ended while waiting for $1 = $3"
    [ -f "$probe" ] && [ "$(field "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  fail "timed out waiting for $1 column $2 to be '$3' (it is '$(field "$1" "$2")')"
}
geometry() { awk -F'\t' -v n="$1" '$1 == n { print $2, $3, $4, $5; exit }' "$probe"; }
click() { # <widget> [button]
  local x y w h
  read -r x y w h < <(geometry "$1")
  [ -n "$h" ] || fail "no widget $1"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click "${2:-1}"
}
photograph() { # <name>: the screen around the window
  local x y w h
  mkdir -p "${shots:-$work/shots}"
  read -r x y w h < <(geometry Form1)
  import -window root -crop "$((w + 200))x$((h + 100))+${x}+${y}" +repage "${shots:-$work/shots}/$1.png"
}

(cd "$start" && exec env PATH="$work/bin:$PATH" QT_QPA_PLATFORM=xcb KLEITAB_E2E_PROBE="$probe" \
  LD_PRELOAD="$preload" "$kleitab") &
pid=$!
wait_for Form1 6 1
xdotool search --sync --onlyvisible --name 'Клейтаб' > /dev/null
wait_for Button1 8 "Далее"
click Button1
wait_for Button1 8 "Собрать"
click Button1
wait_for PageControl1 7 2
wait_for StatusBar1 8 "Таблица: 5 строк × 2 столбца"

echo "== Ctrl+click on the header of Сумма sorts by it"
read -r gx gy gw gh < <(geometry StringGrid1)
xdotool mousemove $((gx + 64 + 20)) $((gy + 12)) keydown ctrl click 1 keyup ctrl
wait_for StringGrid1 8 "-3" # the current cell (row 1, Сумма) holds the smallest now
echo "== the header's menu"
xdotool mousemove $((gx + 64 + 20)) $((gy + 12)) click 3
wait_for PopupMenu3 6 1
sleep 0.3
photograph tidy-header-menu
xdotool key Escape
wait_for PopupMenu3 6 0

echo "== Удалить повторяющиеся строки from the grid's menu"
xdotool mousemove $((gx + 64 + 20)) $((gy + 24 + 12)) click 3
wait_for PopupMenu2 6 1
wait_for N21 6 1
sleep 0.3
photograph tidy-grid-menu
click N21
wait_for StatusBar1 8 "Удалено повторяющихся строк: 1"

echo "== Ctrl+F finds 2,5; Заменить все turns 10 into 20"
xdotool mousemove $((gx + 64 + 20)) $((gy + 24 + 12)) click 1
xdotool key ctrl+f
wait_for FindDialog1 6 1
click Edit4
xdotool type --delay 50 '2,5'
xdotool key Return
wait_for StatusBar1 8 "Найдено: «2,5»"
wait_for StringGrid1 7 "1,0"
click Edit4
xdotool key ctrl+a BackSpace
xdotool type --delay 50 '10'
click Edit5
xdotool type --delay 50 '20'
sleep 0.3
photograph tidy-find-dialog
click Button8
wait_for StatusBar1 8 "Произведено замен: 1"
click Button9
wait_for FindDialog1 6 0

echo "== saved as the tools left it"
click Button1
wait_for PageControl1 7 3
wait_for Button2 6 1
click Button2
for i in $(seq 1 100); do
  [ -f "$data/итог.txt" ] && cmp -s "$data/итог.txt" "$expected" && break
  sleep 0.1
done
cmp "$data/итог.txt" "$expected" || { od -c "$data/итог.txt" | head >&2; fail "the saved file differs"; }
click Button3
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS"
