#!/usr/bin/env bash
# Peak memory of garanarabe-svg on two exchange files of 20 MB: segments only ("0 0 1 1", the
# most shapes a byte gives) and a mix of segments, circles, elliptic arcs, layer changes and
# texts. The picture is measured in one pass over the input and written in a second, each pass
# reading the file from the disk in batches, so the peak follows neither the input's size nor
# the picture's (about ten times the input here).
#
# Usage: bench/svg_run.sh [release build dir]
#
# Measured on 7 December 2026 on the shared 2-core build machine (when the input was held whole
# for the two passes the peaks were 24.4 MB and 24.6 MB, and on inputs of 200 MB 204 MB; read in
# batches they are 5.6 MB and 5.9 MB at 200 MB too):
#   segments   20 MB in   190 MB out  4.5 s  peak 5.6 MB
#   mixed      20 MB in    86 MB out  2.1 s  peak 5.9 MB
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
svg=$build/src/garanarabe-svg
for tool in "$svg" /usr/bin/time; do
  [[ -x $tool ]] || { echo "missing $tool (cmake --preset release && cmake --build --preset release -j2)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/gara-svg-XXXXXX")
trap 'rm -rf "$work"' EXIT
size=$((20 * 1024 * 1024))

awk -v lines=$((size / 8)) 'BEGIN { for (i = 0; i < lines; i++) print "0 0 1 1" }' > "$work/segments.txt"
awk -v size="$size" 'BEGIN {
  srand(1); n = 0
  while (n < size) {
    r = rand(); x = rand() * 1000; y = rand() * 500
    if (r < 0.4) s = sprintf("%.4f %.4f %.4f %.4f", x, y, rand() * 1000, rand() * 500)
    else if (r < 0.6) s = sprintf("ci %.4f %.4f %.4f", x, y, 1 + rand() * 50)
    else if (r < 0.7) s = sprintf("ci %.4f %.4f %.4f 10 200 0.5 30", x, y, 1 + rand() * 50)
    else if (r < 0.75) s = sprintf("lg%x\nly%x", int(rand() * 16), int(rand() * 16))
    else s = sprintf("ch %.4f %.4f 1 0 \"text%d", x, y, int(rand() * 100000))
    print s; n += length(s) + 1
  }
}' > "$work/mixed.txt"

for name in segments mixed; do
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$svg" "$work/$name.txt" -o "$work/$name.svg"
  read -r seconds peak_kb < "$work/time.txt"
  printf '%-9s %3d MB in  %4d MB out  %s s  peak %.1f MB\n' "$name" \
    $(($(stat -c %s "$work/$name.txt") / 1048576)) $(($(stat -c %s "$work/$name.svg") / 1048576)) \
    "$seconds" "$(awk -v kb="$peak_kb" 'BEGIN { print kb / 1024 }')"
done
