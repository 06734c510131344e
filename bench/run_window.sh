#!/usr/bin/env bash
# The window as a user meets it, against mawk on the same files: each round
# (the order alternating) runs
#   mawk '{print $0","FILENAME}' *.csv > out          (fresh process)
#   kleitab started afresh on an X display, "Далее" then "Собрать" clicked
#   with xdotool; timed from the click on "Собрать" until the window shows
#   the table's page (the probe reports it once the event loop is free again,
#   that is, after the grid's first paint; the probe writes every 100 ms)
# and prints the times, the medians of the same-round ratios, the window's
# peak resident memory (from /proc/PID/status VmHWM) and the load average.
# Needs a build with the tests (the widget probe), xdotool and a display
# (DISPLAY=:62 bench/run_window.sh, or under xvfb-run).
# Usage: bench/run_window.sh [build directory] [rounds=3] [data directory]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(realpath "${1:-build}")
ROUNDS=${2:-3}
DATA_DIR=$(realpath "${3:-bench/data/large}")
[ -n "${DISPLAY:-}" ] || { echo "no X display" >&2; exit 1; }
kleitab=$BUILD/app/kleitab
probe_lib=$BUILD/tests/e2e/libkleitab_widget_probe.so
work=$(mktemp -d /tmp/kleitab-window-bench-XXXXXX)
probe=$work/probe
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/start"
# The window's defaults: stacked, file names on, no line skipped.
printf '%s\r\n' "Edit1=out.txt" "Edit2=," "Edit3=0" "CheckBox1=TRUE" "CheckBox2=TRUE" \
  "CheckBox3=FALSE" "CheckBox4=TRUE" "CheckBox5=TRUE" "CheckBox6=TRUE" \
  "ComboBox1=Собрать по вертикали " "ComboBox2=," "direct=$DATA_DIR" |
  iconv -f UTF-8 -t CP1251 >"$work/start/init.ini"

field() { awk -F'\t' -v n="$1" -v c="$2" '$1 == n { print $c; exit }' "$probe" 2>/dev/null; }
wait_for() {
  local i
  for i in $(seq 1 6000); do
    [ -f "$probe" ] && [ "$(field "$1" "$2")" = "$3" ] && return 0
    sleep 0.02
  done
  echo "timed out waiting for $1 = $3" >&2
  exit 1
}
click() {
  local x y w h
  read -r x y w h < <(awk -F'\t' -v n="$1" '$1 == n { print $2, $3, $4, $5; exit }' "$probe")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

run_window() { # -> "seconds peak_MiB"
  rm -f "$probe"
  (cd "$work/start" && exec env QT_QPA_PLATFORM=xcb KLEITAB_E2E_PROBE="$probe" \
    LD_PRELOAD="$probe_lib" "$kleitab" >/dev/null 2>&1) &
  pid=$!
  wait_for Form1 6 1
  xdotool search --sync --onlyvisible --name 'Клейтаб' >/dev/null
  wait_for Button1 8 "Далее"
  click Button1
  wait_for Button1 8 "Собрать"
  local start end peak
  start=$(now)
  click Button1
  wait_for PageControl1 7 2
  end=$(now)
  peak=$(awk '/^VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }') $peak"
}
run_mawk() {
  local start end
  start=$(now)
  (cd "$DATA_DIR" && mawk '{print $0","FILENAME}' *.csv >"$work/out")
  end=$(now)
  rm -f "$work/out"
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

mb=$(find "$DATA_DIR" -name '*.csv' -exec cat {} + | wc -c | awk '{ printf "%.1f", $1 / 1e6 }')
echo "machine: $(nproc) cores; $DATA_DIR, $mb MB; load before: $(load)"
ratios=() windows=() mawks=() peak=0
for round in $(seq "$ROUNDS"); do
  order=(mawk window)
  [ $((round % 2)) -eq 0 ] && order=(window mawk)
  for who in "${order[@]}"; do
    sync
    if [ "$who" = mawk ]; then
      tm=$(run_mawk)
    else
      set -- $(run_window)
      tw=$1
      peak=$(awk -v a="$peak" -v b="$2" 'BEGIN { print (b > a) ? b : a }')
    fi
  done
  windows+=("$tw")
  mawks+=("$tm")
  ratios+=("$(awk -v a="$tw" -v b="$tm" 'BEGIN { printf "%.3f", a / b }')")
  echo "  round $round (${order[*]}): mawk $tm s, window click to table $tw s (${ratios[-1]}); load $(load)"
done
echo "load after: $(load)"
echo "window median $(printf '%s\n' "${windows[@]}" | median) s, mawk median $(printf '%s\n' "${mawks[@]}" | median) s, window / mawk (median of same-round ratios) $(printf '%s\n' "${ratios[@]}" | median); window peak $peak MiB = $(awk -v p="$peak" -v mb="$mb" 'BEGIN { printf "%.2f", p * 1.048576 / mb }') x input"
