#!/usr/bin/env bash
# The program as a user meets it, under a virtual X server (run through
# xvfb-run): started in a directory whose init.ini names a directory of
# source files, walked through the wizard with real mouse clicks (xdotool),
# then checked on disk: the written file byte for byte, the rewritten
# init.ini, and the open request that reached the desktop (a stand-in
# xdg-open first on PATH records it). A second start from that init.ini must
# find the options and the directory restored, and save the same file again.
# A third start with a font one half larger does the same job; after the
# second and the third run every page is photographed. A fourth run uses
# the grid's tools with real keys and clicks (an edit, copy, Tab, paste,
# Delete, cut, deleting and inserting a row, "Очистить"), undoes each, and
# saves the same file again; the grid after a paste and its menu are
# photographed.
# A fifth start photographs the preview on "Настройка" and the error box,
# in Russian too, for a source another program holds.
#
# Usage: e2e_test.sh <kleitab> <widget probe library> [<screenshot directory>]
# The probe library, loaded with LD_PRELOAD, reports where the named widgets
# stand and what they show; the program itself is the one users run.
set -euo pipefail

kleitab=$(realpath "$1")
probe_library=$(realpath "$2")
shots=${3:-}
[ -n "${DISPLAY:-}" ] || { echo "no X display: run under xvfb-run" >&2; exit 1; }
command -v xdotool > /dev/null || { echo "xdotool is missing" >&2; exit 1; }
command -v import > /dev/null || { echo "imagemagick's import is missing" >&2; exit 1; }

work=$(mktemp -d /tmp/kleitab-e2e-XXXXXX)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then kill "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$work/probe" ]; then
    echo "--- what the window showed last:" >&2
    grep -vE '^(qt_|_q_)' "$work/probe" | cut -f1,6-8 | head -n 60 >&2
  fi
  exit 1
}

cp1251() { iconv -f UTF-8 -t CP1251; }

start=$work/start
data=$work/данные
mkdir -p "$start" "$data" "$work/bin"

# Source files in Windows-1251 with CR LF line ends, a header line each.
printf 'Имя;Город\r\nИван;Москва\r\nПётр;Тверь, центр\r\n' | cp1251 > "$data/1 январь.csv"
printf 'Имя;Город\r\nАнна;Омск\t55;\r\n' | cp1251 > "$data/2 февраль.csv"
printf 'not a csv\r\n' > "$data/notes.txt"

# The stand-in for the desktop's opener: records what it was asked to open.
cat > "$work/bin/xdg-open" << EOF_OPENER
#!/bin/sh
printf '%s\n' "\$*" >> "$work/opened"
EOF_OPENER
chmod +x "$work/bin/xdg-open"

# init.ini as a user left it: LF line ends and "true" in lower case (which
# leaves CheckBox3 unticked); the program rewrites it with CR LF.
printf '%s\n' "Edit1=итог.txt" "Edit2=;" "Edit3=1" "CheckBox1=TRUE" "CheckBox2=TRUE" \
  "CheckBox3=true" "CheckBox4=TRUE" "CheckBox5=TRUE" "CheckBox6=TRUE" \
  "ComboBox1=Собрать по вертикали " "ComboBox2=," "direct=$data" | cp1251 > "$start/init.ini"

# What saving must write: the rows of both files after their header line,
# each with the file's name, every cell escaped ("," and tab) and followed
# by ",", UTF-8, CR LF after every row.
expected_output=$work/expected_output
printf 'Иван,Москва,1 январь,\r\nПётр,Тверь#44 центр,1 январь,\r\nАнна,Омск#955,2 февраль,\r\n' \
  > "$expected_output"
expected_ini=$work/expected_ini
printf '%s\r\n' "Edit1=итог.txt" "Edit2=;" "Edit3=1" "CheckBox1=TRUE" "CheckBox2=TRUE" \
  "CheckBox3=FALSE" "CheckBox4=TRUE" "CheckBox5=TRUE" "CheckBox6=TRUE" \
  "ComboBox1=Собрать по вертикали " "ComboBox2=," "direct=$data" | cp1251 > "$expected_ini"
output=$data/итог.txt

# The probe preloaded; a sanitizer runtime the program links must come first.
runtimes=$(ldd "$kleitab" | grep -oE '/[^ ]*lib(asan|ubsan)\.so[^ ]*' | sort || true)
preload=$(echo $runtimes "$probe_library")

probe=$work/probe
# field <widget> <column>: a column of the widget's probe line (see the probe).
field() { awk -F'\t' -v n="$1" -v c="$2" '$1 == n { print $c; exit }' "$probe" 2> /dev/null; }

no_error_box() {
  local box
  box=$(awk -F'\t' '$1 == "" && $6 == 1 { print $8 }' "$probe" 2> /dev/null || true)
  [ -z "$box" ] || fail "an error box says: $box"
}

# wait_for <widget> <column> <value>
wait_for() {
  local i
  for i in $(seq 1 600); do
    kill -0 "$pid" 2> /dev/null || fail "the program ended while waiting for $1 = $3"
    if [ -f "$probe" ]; then
      no_error_box
      [ "$(field "$1" "$2")" = "$3" ] && return 0
    fi
    sleep 0.1
  done
  fail "timed out waiting for $1 column $2 to be '$3' (it is '$(field "$1" "$2")')"
}

# click <widget>: a real click of the left button in the widget's middle.
click() {
  local x y w h
  read -r x y w h < <(awk -F'\t' -v n="$1" '$1 == n { print $2, $3, $4, $5; exit }' "$probe")
  [ -n "$h" ] || fail "no widget $1"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}

# start_program [<font scale>]
start_program() {
  rm -f "$probe"
  (cd "$start" && exec env PATH="$work/bin:$PATH" QT_QPA_PLATFORM=xcb \
    KLEITAB_E2E_PROBE="$probe" KLEITAB_E2E_FONT_SCALE="${1:-}" LD_PRELOAD="$preload" \
    "$kleitab") &
  pid=$!
  wait_for Form1 6 1
  xdotool search --sync --onlyvisible --name 'Клейтаб' > /dev/null
}

# walk_and_save <open requests expected after it>: the wizard, "Далее",
# "Собрать", "Сохранить" on Button1, then Button2. The file from an earlier
# run and its init.ini are already there, so only the count of open
# requests tells that this save has finished.
walk_and_save() {
  local opens=$1
  wait_for Button1 8 "Далее"
  click Button1
  wait_for PageControl1 7 1
  wait_for Button1 8 "Собрать"
  click Button1
  wait_for PageControl1 7 2
  wait_for Button1 8 "Сохранить"
  click Button1
  wait_for PageControl1 7 3
  wait_for Button1 6 0
  wait_for Button2 6 1
  click Button2
  local i
  for i in $(seq 1 300); do
    [ -f "$work/opened" ] && [ "$(wc -l < "$work/opened")" -ge "$opens" ] &&
      cmp -s "$start/init.ini" "$expected_ini" && break
    no_error_box
    sleep 0.1
  done
}

# photograph_pages <tag>: each page chosen by a click on its tab, and the
# window's part of the screen kept as <shots>/<tag>-page<N>.png.
photograph_pages() {
  local i x y w h picture
  mkdir -p "${shots:-$work/shots}"
  for i in 0 1 2 3 4; do
    click "PageControl1.tab[$i]"
    wait_for PageControl1 7 "$i"
    sleep 0.5 # the page painted
    read -r x y w h < <(awk -F'\t' '$1 == "Form1" { print $2, $3, $4, $5; exit }' "$probe")
    picture="${shots:-$work/shots}/$1-page$((i + 1)).png"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$picture"
    [ -s "$picture" ] || fail "no screenshot $picture"
  done
}

quit_program() {
  click Button3
  local status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

check_files() {
  [ -f "$output" ] || fail "no output file $output"
  cmp "$output" "$expected_output" || {
    od -c "$output" | head -n 20 >&2
    fail "the output file differs from the expected bytes"
  }
  cmp "$start/init.ini" "$expected_ini" || {
    od -c "$start/init.ini" >&2
    fail "init.ini differs from the expected twelve lines"
  }
  [ "$(tr -cd '\n' < "$start/init.ini" | wc -c)" -eq 12 ] || fail "init.ini has not twelve lines"
  # Qt hands xdg-open a file URL, percent-encoded.
  local url
  url=$(tail -n 1 "$work/opened")
  url=$(printf '%b' "${url//%/\\x}")
  [ "$url" = "file://$output" ] || fail "the desktop was asked to open '$url', not $output"
}

echo "== first run: options and directory from the hand-made init.ini"
start_program
wait_for CheckListBox1 7 2
[ "$(field 'CheckListBox1[0]' 8)" = "1 январь.csv" ] || fail "check list: $(field 'CheckListBox1[0]' 8)"
walk_and_save 1
check_files
[ "$(wc -l < "$work/opened")" -eq 1 ] || fail "the open request came $(wc -l < "$work/opened") times"
quit_program

echo "== second run: everything restored from the rewritten init.ini"
rm -f "$output"
start_program
wait_for CheckListBox1 7 2
# <widget> <state> <text>: for the check boxes and ComboBox1 the state
# (ticked, item index) is what counts, for the edits and the delimiter boxes
# the text.
want=("CheckListBox1[0]	1	1 январь.csv" "CheckListBox1[1]	1	2 февраль.csv"
  "Edit1	-	итог.txt" "Edit2	*	;" "Edit3	-	1" "ComboBox2	*	,"
  "CheckBox1	1	*" "CheckBox2	1	*" "CheckBox3	0	*" "CheckBox4	1	*" "CheckBox5	1	*"
  "CheckBox6	1	*" "ComboBox1	0	*")
for line in "${want[@]}"; do
  IFS=$'\t' read -r name state text <<< "$line"
  got_state=$(field "$name" 7)
  got_text=$(field "$name" 8)
  [ "$state" = "*" ] && got_state="*"
  [ "$text" = "*" ] && got_text="*"
  [ "$got_state	$got_text" = "$state	$text" ] ||
    fail "$name restored as '$got_state' '$got_text', want '$state' '$text'"
done
walk_and_save 2
check_files
[ "$(wc -l < "$work/opened")" -eq 2 ] || fail "the second open request did not come"
photograph_pages font-default
quit_program

echo "== third run: the same job with a font one half larger"
rm -f "$output"
start_program 1.5
wait_for CheckListBox1 7 2
walk_and_save 3
check_files
[ "$(wc -l < "$work/opened")" -eq 3 ] || fail "the third open request did not come"
photograph_pages font-1.5x
quit_program
echo "== fourth run: the grid's tools, each undone"
rm -f "$output"
start_program
wait_for CheckListBox1 7 2
wait_for Button1 8 "Далее"
click Button1
wait_for Button1 8 "Собрать"
click Button1
wait_for PageControl1 7 2
cell=StringGrid1.cell
# key <keys>: real key presses to the focused grid.
key() { xdotool key --delay 50 "$@"; }
# A click on the current cell would open its editor: another one first.
click "$cell[0,1]"
sleep 0.6
click "$cell[0,0]"
wait_for "$cell[0,0]" 7 1
xdotool type --delay 50 "Kazan"
key Return
wait_for "$cell[0,0]" 8 "Kazan"
key ctrl+z
wait_for "$cell[0,0]" 8 "Тверь, центр"
key ctrl+y
wait_for "$cell[0,0]" 8 "Kazan"
key ctrl+z
wait_for "$cell[0,0]" 8 "Тверь, центр"
key ctrl+c Tab
wait_for "$cell[0,1]" 7 1
key ctrl+v
wait_for "$cell[0,1]" 8 "Тверь, центр"
mkdir -p "${shots:-$work/shots}"
read -r x y w h < <(awk -F'\t' '$1 == "Form1" { print $2, $3, $4, $5; exit }' "$probe")
import -window root -crop "${w}x${h}+${x}+${y}" +repage "${shots:-$work/shots}/grid-paste.png"
key ctrl+z
wait_for "$cell[0,1]" 8 "1 январь"
key Delete
wait_for "$cell[0,1]" 8 ""
key ctrl+z
wait_for "$cell[0,1]" 8 "1 январь"
key ctrl+x
wait_for "$cell[0,1]" 8 ""
key ctrl+shift+z ctrl+z
wait_for "$cell[0,1]" 8 "1 январь"
# menu <cell> <item>: the grid's menu opened on a cell, one item clicked.
menu() {
  read -r x y w h < <(awk -F'\t' -v n="$1" '$1 == n { print $2, $3, $4, $5; exit }' "$probe")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1 click 3
  wait_for "$2" 6 1
  sleep 0.3 # the menu painted
  if [ "$2" = N13 ]; then
    local mx my mw mh
    read -r mx my mw mh < <(awk -F'\t' '$1 == "PopupMenu2" { print $2, $3, $4, $5; exit }' "$probe")
    local right=$((mx + mw > x + w ? mx + mw : x + w)) bottom=$((my + mh > y + h ? my + mh : y + h))
    read -r x y w h < <(awk -F'\t' '$1 == "Form1" { print $2, $3, $4, $5; exit }' "$probe")
    right=$((right > x + w ? right : x + w))
    bottom=$((bottom > y + h ? bottom : y + h))
    import -window root -crop "$((right - x))x$((bottom - y))+${x}+${y}" +repage \
      "${shots:-$work/shots}/grid-menu.png"
  fi
  click "$2"
}
menu "$cell[1,0]" N13 # "Удалить строки": the row of Анна
wait_for "$cell[1,0]" 8 ""
key ctrl+z
wait_for "$cell[1,0]" 8 "Омск 55"
menu "$cell[1,0]" N15 # "Вставить строку" above it
wait_for "$cell[1,0]" 8 ""
key ctrl+z
wait_for "$cell[1,0]" 8 "Омск 55"
menu "$cell[0,0]" N5 # "Очистить"
wait_for "$cell[0,0]" 8 ""
key ctrl+z
wait_for "$cell[0,0]" 8 "Тверь, центр"
click "PageControl1.tab[3]"
wait_for PageControl1 7 3
wait_for Button2 6 1
click Button2
for i in $(seq 1 300); do
  [ -f "$work/opened" ] && [ "$(wc -l < "$work/opened")" -ge 4 ] && break
  no_error_box
  sleep 0.1
done
check_files
quit_program

echo "== fifth run: the preview, and a file another program holds, told in Russian too"
start_program
wait_for CheckListBox1 7 2
holder=
flock -x "$data/2 февраль.csv" sleep 60 &
holder=$!
wait_for Button1 8 "Далее"
click Button1
wait_for PageControl1 7 1
wait_for Label13 8 "«1 январь.csv», строк: 2"
sleep 0.5 # the preview painted
read -r x y w h < <(awk -F'\t' '$1 == "Form1" { print $2, $3, $4, $5; exit }' "$probe")
mkdir -p "${shots:-$work/shots}"
import -window root -crop "${w}x${h}+${x}+${y}" +repage "${shots:-$work/shots}/preview.png"
click Button1
for i in $(seq 1 100); do
  [ "$(field ErrorBox 6)" = 1 ] && break
  sleep 0.1
done
box_text=$(field ErrorBox 8)
case "$box_text" in
*"I/O error 32."*"2 февраль.csv"*"Файл открыт другой программой — закройте его и повторите."*) ;;
*) fail "the error box says '$box_text'" ;;
esac
sleep 0.5
read -r x y w h < <(awk -F'\t' '$1 == "ErrorBox" { print $2, $3, $4, $5; exit }' "$probe")
import -window root -crop "$((w + 40))x$((h + 40))+$((x - 20))+$((y - 20))" +repage \
  "${shots:-$work/shots}/error-box.png"
xdotool key Return
kill "$holder" 2> /dev/null || true
wait "$holder" 2> /dev/null || true
quit_program
echo "PASS"
