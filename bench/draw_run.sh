#!/usr/bin/env bash
# Whole-run benchmark of a drawing run (mode "2"): a 99-point polyline, a 200-entity figure and
# about 20 000 copies of it, several million output lines. Times the built program with
# /usr/bin/time (wall clock and peak memory), counts the numbers in its output and times
# writing that many numbers with std::to_chars at 15 significant digits, the floor of the job,
# and putting the output's bytes on the disk durably (write + fsync), the floor of its wall time.
#
# Usage: bench/draw_run.sh [--figure lines|mixed] [build dir]   (default: lines, build/release)
#   lines: a figure of mostly lines along a polyline turning through every quadrant (298 MB).
#   mixed: 60 % lines, 20 % tilted elliptic arcs, 10 % texts in a Japanese font, 10 % solid
#          quadrilaterals, colours and line types varied, along a zigzag polyline (348 MB).
#
# Measured on 7 December 2026 on the shared 2-core build machine (load 1 to 3), four runs each,
# the builds before and after alternating, run / floor:
#   before (numbers written through the shortest digits): 1.51-1.92 wall, 1.43-1.83 processor
#   after (15 digits rounded in exact integer arithmetic):  1.00-1.22 wall, 0.90-1.13 processor
# Peak memory 297.7 MB = 1.05 x output + 14 MB; the output is the same byte for byte.
# Since the output is streamed to the file (later that day): peak memory 3.7 MB, run / floor
# 0.67-0.79 processor on a loaded machine, the same 298 MB byte for byte.
# With the writer's lines of numbers appended without a search for line ends (evening): run /
# floor 0.60-0.73 processor at load 2 to 5 from other builds, the same 298 MB byte for byte
# (sha256 8cf48247...1148).
#
# 8 December 2026, both figures, each ratio the best of three rounds (this script), quiet
# machine (load about 1, the benchmark's own), run / floor as processor; wall:
#   start of the day                     lines 0.63; 0.65   mixed 0.62; 0.63
# A profile (perf record) of the mixed run then: the number text 54 %, the kernel's taking of
# the bytes into its cache and onto the disk 16 %, clearing each command line's 512-byte
# buffer (value-initialisation of the line, a "rep stos" per command) about 6 %, two searches for
# line ends in every attribute command 1.5 %, the copy of each line into the block 2.4 %, two
# sines and cosines for every text 2.9 %. What each step bought, one run each at that time:
#   the line buffer no longer cleared    lines 0.52; 0.52   mixed 0.63; 0.63
#   digits made, counted and pointed in one SSE2 register (number text 33-39 -> 21-29 ns; a
#   native 128-bit product tried with it bought nothing measurable and was taken out again)
#                                        lines 0.51; 0.52   mixed 0.60; 0.62
#   attribute lines without the search for line ends, one sine-cosine for each text
#                                        lines 0.48; 0.50   mixed 0.54; 0.55
#   lines of numbers built in place in the output block, no copy
#                                        lines 0.44-0.54    mixed 0.45-0.58 (a noisy hour)
#   the four digit groups from independent quotients (four numbers to a line 95 -> 88 ns)
#                                        lines 0.49; 0.51   mixed 0.40; 0.42
#   the file's write-back started every 8 MB (sync_file_range), so that the closing fsync
#   waits only for the last piece        lines 0.47; 0.42   mixed 0.44; 0.38
#   writes of 1 MiB instead of 64 KiB (system time 0.34 -> 0.19 s on 600 MB)
#                                        lines 0.45; 0.40   mixed 0.41; 0.37
# Three final rounds: lines 0.39-0.44; 0.35-0.40, mixed 0.41-0.42; 0.37-0.38 (targets 0.5 and
# 0.6); after the 128-bit product went back to its portable form, lines 0.40; 0.36 and mixed
# 0.39; 0.35. Outputs unchanged: lines sha256 8cf48247...1148, mixed 0cbd8148...1ed5. The number text
# is still about 59 % of the run at about 22 ns a number, four to a line: the chain from the
# double through the 128-bit product, the rounding and the digit groups to the store is some
# 70 cycles long, and numbers overlap little. The kernel is about 21 %.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
figure=lines
if [[ ${1:-} == --figure ]]; then
  figure=${2:?--figure needs lines or mixed}
  shift 2
fi
[[ $figure == lines || $figure == mixed ]] || { echo "unknown figure: $figure" >&2; exit 2; }
build=${1:-$root/build/release}
program=$build/src/garanarabe
floor=$build/tools/number_floor
for tool in "$program" "$floor" /usr/bin/time; do
  [[ -x $tool ]] || { echo "missing $tool (cmake --preset release && cmake --build --preset release -j2)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/gara-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/garanarabe"

crlf() { sed 's/$/\r/'; }

# The exchange file: writing attributes and 99 designated points. For the line figure each
# segment is 4085 long and turned 0.61 rad further than the one before (every quadrant, no two
# alike); for the mixed figure the points alternate between two heights, 4000 apart along x.
awk -v figure="$figure" 'BEGIN {
  print "lg0"; print "ly0"; print "lc1"; print "lt1"; print "lw1"
  x = 0; y = 0
  for (i = 1; i <= 99; i++) {
    if (figure == "mixed") { x = (i - 1) * 4000; y = (i % 2) * 830 }
    printf "hp%d %.4f %.4f\n", i, x, y
    a = i * 0.61; x += 4085 * cos(a); y += 4085 * sin(a)
  }
}' | crlf > "$work/points.txt"

# The line figure: 200 entities in a 20 x 10 box, mostly lines, with arcs, circles, points, texts
# and solids, the colour changing every 20 entities.
awk 'function r(lo, hi) { return lo + (hi - lo) * rand() }
BEGIN {
  srand(1)
  print "-10,-5,10,5"
  print "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1"
  print "N,200"
  for (i = 0; i < 200; i++) {
    c = 1 + int(i / 20) % 3; k = i % 20
    if (k < 14)
      printf "L,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,%.4f\n", c, r(-10, 10), r(-5, 5), r(-10, 10), r(-5, 5)
    else if (k < 16)
      printf "E,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,1,%.6f,%.6f,0,0\n", c, r(-5, 5), r(-2, 2), r(1, 3), r(0, 3), r(0.5, 3)
    else if (k == 16)
      printf "E,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,1,0,6.28318530718,0,1\n", c, r(-5, 5), r(-2, 2), r(1, 3)
    else if (k == 17)
      printf "T,0,0,2,%d,1,0,0,%.4f,%.4f,0,0,0,1\n", c, r(-10, 10), r(-5, 5)
    else if (k == 18)
      printf "M,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,%.4f,3,3,3,0.5,\"ＭＳ ゴシック\",\"ABC%d\"\n", c, -3, r(-4, 0), 3, r(-4, 0), i
    else
      printf "S,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,0\n", c, -9, -4, r(0, 9), -4, r(0, 9), r(0, 4), -9, r(0, 4)
  }
  print "BD,0"
}' > "$work/lines.txt"

# The mixed figure: 200 entities in the same box, a tenth of them texts of a free size.
awk 'function r(lo, hi) { return lo + (hi - lo) * rand() }
BEGIN {
  srand(2)
  print "-10,-5,10,5"
  print "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1"
  print "N,200"
  for (i = 0; i < 200; i++) {
    c = 1 + int(i / 10) % 9; t = 1 + int(i / 7) % 9; k = i % 10
    if (k < 6)
      printf "L,0,0,2,%d,%d,0,0,%.4f,%.4f,%.4f,%.4f\n", c, t, r(-10, 10), r(-5, 5), r(-10, 10), r(-5, 5)
    else if (k < 8)
      printf "E,0,0,2,%d,%d,0,0,%.4f,%.4f,%.4f,%.6f,%.6f,%.6f,%.6f,0\n", c, t, r(-5, 5), r(-2, 2), r(1, 3), r(0.3, 0.9), r(0, 3), r(3.2, 6), r(-1.5, 1.5)
    else if (k == 8) {
      x = r(-9, 0); y = r(-4, 3); a = r(-0.8, 0.8)
      printf "M,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,%.4f,0,2.5,2.5,0.3,\"ＭＳ 明朝\",\"柄%d\"\n", c, x, y, x + 6 * cos(a), y + 6 * sin(a), i
    } else
      printf "S,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,0\n", c, r(-9, -5), r(-4, 0), r(5, 9), r(-4, 0), r(5, 9), r(0, 4), r(-9, -5), r(0, 4)
  }
  print "BD,0"
}' > "$work/mixed.txt"
iconv -f UTF-8 -t CP932 "$work/$figure.txt" | crlf > "$work/sel.txt"

# Settings: row 1 selected, the figure 20 x 10 side by side (204 copies a segment), a
# full-length top line and bottom gap lines.
{
  printf '%s\n' 0 0 "" 0 0 0 0 1
  printf '%s\n' 0 20 10 0 0 1 2 0 1
  for _ in $(seq 2 12); do printf '%s\n' 0 10 10 0 0 1 0 0 0; done
} | crlf > "$work/garanarabe.dat"

# Three rounds of a run and its floor, each taken as its best: on a shared machine a run can
# only be slowed down by others, and the machine's speed drifts, so each round times both.
for _ in 1 2 3; do
  cp "$work/points.txt" "$work/JWC_TEMP.TXT"
  (cd "$work" && /usr/bin/time -f "%e %U %S %M" -a -o runs.txt ./garanarabe 2)
  "$floor" "$work/JWC_TEMP.TXT" >> "$work/floors.txt"
done
read -r seconds cpu peak_kb < <(awk '
  NR == 1 || $1 < s { s = $1 }
  NR == 1 || $2 + $3 < c { c = $2 + $3 }
  $4 > k { k = $4 }
  END { print s, c, k }' "$work/runs.txt")
read -r numbers floor_wall floor_cpu durable_write < <(awk '
  NR == 1 || $2 < w { w = $2 }
  NR == 1 || $3 < c { c = $3 }
  NR == 1 || $5 < d { d = $5 }
  END { print $1, w, c, d }' "$work/floors.txt")
output_bytes=$(stat -c %s "$work/JWC_TEMP.TXT")
output_lines=$(wc -l < "$work/JWC_TEMP.TXT")
checksum=$(sha256sum < "$work/JWC_TEMP.TXT" | cut -c1-16)
read -r load _ < /proc/loadavg

# On a shared machine the wall clock also counts the waits for other processes; the processor
# time (user + system) of the run against that of the floor is the steadier ratio.
awk -v s="$seconds" -v cpu="$cpu" \
    -v f="$floor_wall" -v fc="$floor_cpu" -v w="$durable_write" -v n="$numbers" \
    -v lines="$output_lines" -v bytes="$output_bytes" -v kb="$peak_kb" -v figure="$figure" \
    -v sum="$checksum" -v load="$load" 'BEGIN {
  target = figure == "mixed" ? 0.6 : 0.5
  printf "figure:         %s (load %s)\n", figure, load
  printf "output:         %d lines, %.1f MB, %d numbers, sha256 %s...\n", lines, bytes / 1e6, n, sum
  printf "whole run:      %.2f s wall, %.2f s processor (each the best of three)\n", s, cpu
  printf "to_chars floor: %.2f s wall, %.2f s processor (%.1f million numbers per second)\n", f, fc, n / fc / 1e6
  printf "durable write:  %.2f s wall (write + fsync of the same bytes)\n", w
  printf "run / floor:    %.2f processor against to_chars, %.2f wall against to_chars + durable write (target at most %.1f)\n",
         cpu / fc, s / (f + w), target
  printf "peak memory:    %.1f MB for %.1f MB of output (the output is streamed: target at most 64 MB)\n",
         kb / 1024, bytes / 1e6
}'
