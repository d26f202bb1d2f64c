#!/usr/bin/env bash
# Whole-run benchmark of a drawing run (mode "2"): a 99-point polyline, a 200-entity figure and
# about 20 000 copies of it, several million output lines. Times the built program with
# /usr/bin/time (wall clock and peak memory), counts the numbers in its output and times
# writing that many numbers with std::to_chars at 15 significant digits, the floor of the job.
#
# Usage: bench/draw_run.sh [build dir]   (default build/release; build it first)
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
# (sha256 8cf48247...1148). Target: at most 0.7.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
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

# The exchange file: writing attributes and 99 designated points, each segment 4085 long and
# turned 0.61 rad further than the one before (every quadrant, no two alike).
awk 'BEGIN {
  print "lg0"; print "ly0"; print "lc1"; print "lt1"; print "lw1"
  x = 0; y = 0
  for (i = 1; i <= 99; i++) {
    printf "hp%d %.4f %.4f\n", i, x, y
    a = i * 0.61; x += 4085 * cos(a); y += 4085 * sin(a)
  }
}' | crlf > "$work/JWC_TEMP.TXT"

# The figure: 200 entities in a 20 x 10 box, mostly lines, with arcs, circles, points, texts
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
}' | iconv -f UTF-8 -t CP932 | crlf > "$work/sel.txt"

# Settings: row 1 selected, the figure 20 x 10 side by side (204 copies a segment), a
# full-length top line and bottom gap lines.
{
  printf '%s\n' 0 0 "" 0 0 0 0 1
  printf '%s\n' 0 20 10 0 0 1 2 0 1
  for _ in $(seq 2 12); do printf '%s\n' 0 10 10 0 0 1 0 0 0; done
} | crlf > "$work/garanarabe.dat"

(cd "$work" && /usr/bin/time -f "%e %U %S %M" -o time.txt ./garanarabe 2)
read -r seconds user sys peak_kb < "$work/time.txt"
output_bytes=$(stat -c %s "$work/JWC_TEMP.TXT")
output_lines=$(wc -l < "$work/JWC_TEMP.TXT")
read -r numbers floor_wall floor_cpu _ < <("$floor" "$work/JWC_TEMP.TXT")

# On a shared machine the wall clock also counts the waits for other processes; the processor
# time (user + system) of the run against that of the floor is the steadier ratio.
awk -v s="$seconds" -v cpu="$(awk -v u="$user" -v y="$sys" 'BEGIN { print u + y }')" \
    -v f="$floor_wall" -v fc="$floor_cpu" -v n="$numbers" -v lines="$output_lines" \
    -v bytes="$output_bytes" -v kb="$peak_kb" 'BEGIN {
  printf "output:         %d lines, %.1f MB, %d numbers\n", lines, bytes / 1e6, n
  printf "whole run:      %.2f s wall, %.2f s processor\n", s, cpu
  printf "to_chars floor: %.2f s wall, %.2f s processor (%.1f million numbers per second)\n", f, fc, n / fc / 1e6
  printf "run / floor:    %.2f wall, %.2f processor (target at most 0.7)\n", s / f, cpu / fc
  printf "peak memory:    %.1f MB for %.1f MB of output (the output is streamed: target at most 64 MB)\n",
         kb / 1024, bytes / 1e6
}'
