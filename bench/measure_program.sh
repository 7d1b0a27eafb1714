#!/usr/bin/env bash
# Measures the real program on a private Xvfb with the dummy audio driver:
# the time from its start to the title window's first drawn frame, its
# resident memory at the title and at the user's turn, and the CPU time of
# all its threads while it sits idle at each.
#
#   bench/measure_program.sh [BUILD_DIR]   (default: build; built if needed)
#
# Needs Xvfb, xdotool and a C++ compiler (tools/install-deps.sh test).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build}")
runs=10
idle_s=20

[ -f "$build/CMakeCache.txt" ] || cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if grep -q '^PATAPATA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "measure_program: $build is a sanitizer build; give a plain one" >&2
  exit 1
fi
cmake --build "$build" --target patapata -j"$(nproc)" >"$build/measure_build.log" 2>&1 ||
  { cat "$build/measure_build.log" >&2; exit 1; }
exe=$build/patapata
probe=$build/xprobe
[ "$probe" -nt "$src/bench/xprobe.cpp" ] ||
  g++ -std=c++20 -O2 -Wall -Wextra -o "$probe" "$src/bench/xprobe.cpp" -lX11

tmp=$(mktemp -d)
xvfb=
probe_pid=
finish() {
  [ -z "$probe_pid" ] || { kill "$probe_pid" 2>/dev/null || true; wait "$probe_pid" 2>/dev/null || true; }
  [ -z "$xvfb" ] || { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; }
  rm -rf "$tmp"
}
trap finish EXIT

# A display of our own: nothing else draws or moves the pointer on it.
(trap - EXIT; exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null) &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || { echo "measure_program: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$tmp/display")
export SDL_AUDIODRIVER=dummy

# Starts the program under the probe; sets pid, win, map_ms, frame_ms.
launch() {
  rm -f "$tmp/start"
  # Without the trap, so that a signal to the probe is one to the probe.
  (trap - EXIT; exec "$probe" start "$exe" >"$tmp/start" 2>"$tmp/stderr") &
  probe_pid=$!
  until [ -s "$tmp/start" ]; do
    kill -0 "$probe_pid" 2>/dev/null || { cat "$tmp/stderr" >&2; exit 1; }
    sleep 0.02
  done
  read -r pid win map_ms frame_ms <"$tmp/start"
}
stop() {
  kill "$probe_pid"
  wait "$probe_pid" || true
  probe_pid=
}
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status"; }
# "TID TICKS NAME" per thread, ticks = utime + stime.
threads() {
  local t
  for t in /proc/"$pid"/task/*; do
    sed 's/.*) //' "$t/stat" | awk -v t="${t##*/}" -v n="$(tr ' ' _ <"$t/comm")" '{print t, $12 + $13, n}'
  done
}
# Percent of one core used over idle_s seconds from now, by the whole
# process and by each thread ("name percent ...").
idle_cpu() {
  local t0 t1 before after
  before=$(threads) t0=$(date +%s.%N)
  sleep "$idle_s"
  after=$(threads) t1=$(date +%s.%N)
  awk -v hz="$(getconf CLK_TCK)" -v s="$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')" '
    NR == FNR {was[$1] = $2; next}
    {d = $2 - was[$1]; all += d; if (d > 0) each = each sprintf(" %s %.2f%%", $3, 100 * d / hz / s)}
    END {printf "%.2f%s", 100 * all / hz / s, each}' <(echo "$before") <(echo "$after")
}
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
wait_pixel() {  # window x y r g b timeout_s: waits for a colour within 30
  local end=$((SECONDS + $7)) rgb
  while ((SECONDS < end)); do
    rgb=$("$probe" pixel "$1" "$2" "$3" || true)
    awk -v p="$rgb" -v r="$4" -v g="$5" -v b="$6" 'BEGIN {split(p, v, " ");
      d = (v[1] - r) ^ 2 + (v[2] - g) ^ 2 + (v[3] - b) ^ 2; exit !(p != "" && d < 900)}' && return 0
    sleep 0.1
  done
  echo "measure_program: timed out waiting for $4,$5,$6 at $2,$3" >&2
  exit 1
}

load0=$(cut -d' ' -f1 /proc/loadavg)
echo "first frame: one start to warm the file cache, then $runs measured" >&2
launch; stop
maps=() frames=()
for ((i = 0; i < runs; i++)); do
  launch
  maps+=("$map_ms") frames+=("$frame_ms")
  stop
done
stats() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f %.1f", m, v[NR]}'; }
read -r map_med map_max <<<"$(stats "${maps[@]}")"
read -r frame_med frame_max <<<"$(stats "${frames[@]}")"
echo "  mapped at (ms):  ${maps[*]}" >&2
echo "  drawn at (ms):   ${frames[*]}" >&2

echo "idle at the title: $idle_s s" >&2
launch
sleep 2  # the title music has started, the first blinks are drawn
title_rss=$(rss_kib)
read -r title_cpu title_each <<<"$(idle_cpu)"

echo "idle at the user's turn: $idle_s s" >&2
click "$win" 100 100                      # the level menu
sleep 0.5
click "$win" 236 224                      # its first line: the cat
game=$("$probe" window "$pid" 478 360)
wait_pixel "$game" 208 48 27 43 169 10    # the janken panel over the board
click "$game" 245 222                     # a hand
wait_pixel "$game" 208 48 179 216 255 10  # the panel gone: an empty cell shows
sleep 6  # the board is set up and the cat's first move, if it has one, is done
game_rss=$(rss_kib)
read -r game_cpu game_each <<<"$(idle_cpu)"
stop

mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
row() {  # name value unit target
  awk -v n="$1" -v v="$2" -v u="$3" -v t="$4" \
    'BEGIN {printf "%-30s %8s %-3s  < %4s %-3s  %s\n", n, v, u, t, u, (v + 0 < t + 0 ? "ok" : "OVER")}'
}
echo
echo "patapata at $(git -C "$src" log -1 --format='%h' 2>/dev/null || echo "?"), $(nproc) cores," \
  "load average before and after: $load0, $(cut -d' ' -f1 /proc/loadavg)"
printf '%-30s %12s  %s\n' "" "value" "  target"
row "first frame, median of $runs" "$frame_med" ms 130
row "first frame, max of $runs" "$frame_max" ms 150
row "resident at the title" "$(mib "$title_rss")" MiB 40
row "resident at the user's turn" "$(mib "$game_rss")" MiB 40
row "CPU idle at the title" "$title_cpu" % 0.8
row "CPU idle at the user's turn" "$game_cpu" % 0.8
echo "window mapped at: median $map_med ms, max $map_max ms"
echo "CPU is that of all threads over $idle_s s, in % of one core; by thread:"
echo "  at the title:       ${title_each:-none}"
echo "  at the user's turn: ${game_each:-none}"
