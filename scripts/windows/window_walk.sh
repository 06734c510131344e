#!/usr/bin/env bash
# The Windows program's window under Wine on a virtual X server, walked as a
# user would with real clicks (xdotool): started from a folder whose
# init.ini names a folder of Windows-1251 exports, "Далее", "Собрать",
# "Сохранить", then Button2; the saved file and the rewritten init.ini
# compared byte for byte; every page photographed into SHOTS/windows-*.png.
# The program runs from a copy of the portable folder, with nothing on
# WINEPATH, so a DLL missing from the folder fails here. The widget probe
# (tests/e2e/widget_probe.cpp, built as a Qt generic plugin) tells where the
# widgets stand. Arguments: the portable folder, the screenshot folder.
# Wine's environment comes from wine_env.sh, sourced by the caller.
set -euo pipefail
dist=$(realpath "$1")
shots=$(mkdir -p "$2" && realpath "$2")
probe_dll=$(realpath "$(dirname "$dist")/tests/kleitabprobe.dll")
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

winpath() { echo "Z:${1//\//\\}"; } # a Linux path as Wine names it
work=$(mktemp -d /tmp/kleitab-winwalk-XXXXXX)
pid=
wine_reg() { "$WINE_LOADER" reg "$@" >/dev/null 2>&1; "$(dirname "$WINE_LOADER")/wineserver" -w; }
cleanup() {
  "$(dirname "$WINE_LOADER")/wineserver" -k 2>/dev/null || true
  wine_reg delete 'HKCU\Environment' /v QT_QPA_GENERIC_PLUGINS /f || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/probe" ] && grep -vE '^(qt_|_q_)' "$work/probe" | cut -f1-8 | head -n 40 >&2
  exit 1
}
cp1251() { iconv -f UTF-8 -t CP1251; }

program=$work/program
cp -r "$dist" "$program"
mkdir -p "$program/generic"
cp "$probe_dll" "$program/generic/"
start=$work/start
data=$work/данные
mkdir -p "$start" "$data"
printf 'Имя;Город\r\nИван;Москва\r\nПётр;Тверь, центр\r\n' | cp1251 > "$data/1 январь.csv"
printf 'Имя;Город\r\nАнна;Омск\t55;\r\n' | cp1251 > "$data/2 февраль.csv"
data_win=$(winpath "$data")
printf '%s\r\n' "Edit1=итог.dat" "Edit2=;" "Edit3=1" "CheckBox1=TRUE" "CheckBox2=TRUE" \
  "CheckBox3=FALSE" "CheckBox4=TRUE" "CheckBox5=TRUE" "CheckBox6=TRUE" \
  "ComboBox1=Собрать по вертикали " "ComboBox2=," "direct=$data_win" | cp1251 > "$start/init.ini"
cp "$start/init.ini" "$work/expected_ini"
printf 'Иван,Москва,1 январь,\r\nПётр,Тверь#44 центр,1 январь,\r\nАнна,Омск#955,2 февраль,\r\n' \
  > "$work/expected_output"

probe=$work/probe
# The probe's last complete picture is kept as $probe.seen.
field() {
  cp "$probe" "$probe.seen" 2>/dev/null || true
  awk -F'\t' -v n="$1" -v c="$2" '$1 == n { print $c; exit }' "$probe.seen" 2>/dev/null
}
wait_for() {
  local i
  for i in $(seq 1 900); do
    kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for $1 = $3"
    [ "$(field "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  fail "timed out waiting for $1 column $2 to be '$3' (it is '$(field "$1" "$2")')"
}
click() {
  local x y w h i
  for i in $(seq 1 50); do
    read -r x y w h < <(awk -F'\t' -v n="$1" '$1 == n { print $2, $3, $4, $5; exit }' \
      "$probe" 2>/dev/null) || true
    [ -z "${h:-}" ] || break
    sleep 0.1
  done
  [ -n "${h:-}" ] || fail "no widget $1"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}

echo "== the window under Wine"
# Wine hands a program no QT_* variable of the environment, but takes the
# user's environment in the registry: that is where the probe is named.
wine_reg add 'HKCU\Environment' /v QT_QPA_GENERIC_PLUGINS /t REG_SZ /d kleitabprobe /f
(cd "$start" && exec env -u WINEPATH KLEITAB_E2E_PROBE="$(winpath "$probe")" \
  "$WINE_LOADER" "$program/kleitab.exe") &
pid=$!
wait_for Form1 6 1
wait_for CheckListBox1 7 2
[ "$(field 'CheckListBox1[0]' 8)" = "1 январь.csv" ] || fail "check list: $(field 'CheckListBox1[0]' 8)"
wait_for Button1 8 "Далее"
click Button1
wait_for PageControl1 7 1
wait_for Button1 8 "Собрать"
click Button1
wait_for PageControl1 7 2
wait_for Button1 8 "Сохранить"
click Button1
wait_for PageControl1 7 3
wait_for Button2 6 1
click Button2
for _ in $(seq 1 300); do
  [ -f "$data/итог.dat" ] && cmp -s "$data/итог.dat" "$work/expected_output" && break
  sleep 0.1
done
cmp "$data/итог.dat" "$work/expected_output" || fail "the saved file differs"
cmp "$start/init.ini" "$work/expected_ini" || fail "init.ini differs"
# Every page, chosen by a click on its tab, as the job left it.
for i in 0 1 2 3 4; do
  click "PageControl1.tab[$i]"
  wait_for PageControl1 7 "$i"
  sleep 0.7 # the page painted
  read -r x y w h < <(awk -F'\t' '$1 == "Form1" { print $2, $3, $4, $5; exit }' "$probe.seen")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/windows-page$((i + 1)).png"
  [ -s "$shots/windows-page$((i + 1)).png" ] || fail "no screenshot of page $((i + 1))"
done
click Button3
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "window walk: saved the expected bytes, pages photographed into $shots"
