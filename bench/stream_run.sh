#!/usr/bin/env bash
# Peak memory of drawing runs whose output is far larger than any memory the program should
# take: the output is streamed to its temporary file, so the peak must stay the same from a few
# hundred megabytes to the size limit of a run (1 GB), and a run over that limit is refused
# before it draws, written as "hq" only. Runs of mode "1" with a figure of 10 lines and 10 texts
# of 200 bytes (about 3.4 KB of output a copy), the number of copies set by the segment length:
#   500 MB  (about 145 000 copies)  written
#   950 MB  (about 275 000 copies)  written, just under the default limit
#   3 GB    (about 870 000 copies)  refused: over 1 GB, though within the figure limits
#   3 GB    the same with the limit raised to 4 GB (GARANARABE_MAX_OUTPUT_MB=4000): written
# The Linux program runs all four; the Windows program (32-bit, under Wine) all but the 950 MB
# run, when its build exists. For each: exit status, what the file holds, wall clock and peak
# resident memory (/usr/bin/time; under Wine that of the Wine process running the program).
#
# Usage: bench/stream_run.sh [release build dir] [windows build dir]
#   (defaults build/release and build/windows; build them first; needs about 3 GB of free disk)
#
# Measured on 7 December 2026 on the shared 2-core build machine (before streaming, a 495 MB
# output took a 522 MB peak and the Windows program died of a 2.7 GB one):
#   Linux   500 MB written   1.7 s  peak  3.6 MB     Wine   500 MB written   4.9 s  peak 20.4 MB
#   Linux   950 MB written   3.3 s  peak  3.5 MB
#   Linux   3 GB refused     0.0 s  peak  3.6 MB     Wine   3 GB refused     0.2 s  peak 20.5 MB
#   Linux   3 GB written    19.4 s  peak  3.6 MB     Wine   3 GB written    20.0 s  peak 20.4 MB
#   (3030.5 MB; limit raised)                        (the same size; limit raised)
set -euo pipefail

source "$(dirname "$0")/run_setup.sh" stream "$@"

# One program folder: the program, the figure, the settings (row 1: 10 x 10, no lines) and an
# exchange file whose two designated points are `length` apart.
prepare() {
  local dir=$1 length=$2 exe=$3
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$exe" "$dir/"
  printf 'lg0\nly0\nlc1\nlt1\nlw1\nhp1 0 0\nhp2 %s 3000\n' "$length" | crlf > "$dir/JWC_TEMP.TXT"
  awk 'BEGIN {
    print "-5,-5,5,5"; print "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1"; print "N,20"
    t = ""; for (k = 0; k < 200; k++) t = t sprintf("%c", 65 + k % 26)
    for (i = 0; i < 10; i++) {
      printf "L,0,0,2,1,1,0,0,-4.5,%.3f,4.25,%.3f\n", -5 + i * 0.9, -4.5 + i * 0.85
      printf "M,0,0,2,1,1,0,0,-4,%.2f,4,%.2f,1,1,0,0.5,\"x\",\"%s%d\"\n", -4 + i * 0.8, -4 + i * 0.8, t, i
    }
    print "BD,0"
  }' | crlf > "$dir/sel.txt"
  { printf '%s\n' 0 0 "" 0 0 0 0 1; for _ in $(seq 1 12); do printf '%s\n' 0 10 10 0 0 1 0 0 0; done; } \
    | crlf > "$dir/$(basename "${exe%.exe}").dat"
}

# Runs one case and prints its line; `limit` is the size limit in MB, empty for the default.
run_case() {
  local label=$1 length=$2 limit=$3 exe=$4
  shift 4
  local dir=$work/run
  prepare "$dir" "$length" "$exe"
  local status=0
  (cd "$dir" && GARANARABE_MAX_OUTPUT_MB=$limit /usr/bin/time -f "%e %M" -o time.txt "$@" 1 \
    2> stderr.txt) || status=$?
  local seconds peak_kb
  read -r seconds peak_kb < <(tail -n 1 "$dir/time.txt")
  local bytes held
  bytes=$(stat -c %s "$dir/JWC_TEMP.TXT" 2>/dev/null || echo 0)
  if [[ $bytes -le 4 ]] && [[ "$(tr -d '\r\n' < "$dir/JWC_TEMP.TXT")" == hq ]]; then
    held="refused (hq only)"
  else
    held="written"
  fi
  local leftovers
  leftovers=$(find "$dir" -name '*.tmp' | wc -l)
  printf '%-30s exit %d, %-17s %8.1f MB, %7.1f s, peak %6.1f MB, %d temporary files left\n' \
    "$label" "$status" "$held" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" "$seconds" \
    "$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')" "$leftovers"
  if [[ -s $dir/stderr.txt ]]; then sed 's/^/    says: /' "$dir/stderr.txt" | head -n 5; fi
  rm -rf "$dir"
}

echo "Linux program ($program):"
run_case "  500 MB" 1450000 "" "$program" ./garanarabe
run_case "  950 MB" 2750000 "" "$program" ./garanarabe
run_case "  3 GB" 8700000 "" "$program" ./garanarabe
run_case "  3 GB, limit raised to 4 GB" 8700000 4000 "$program" ./garanarabe

if [[ -f $winprogram ]]; then
  echo "Windows program under Wine ($winprogram):"
  wine_run=("$root/cmake/wine-run.sh" --prefix "$winbuild/wineprefix")
  run_case "  500 MB" 1450000 "" "$winprogram" "${wine_run[@]}" ./garanarabe.exe
  run_case "  3 GB" 8700000 "" "$winprogram" "${wine_run[@]}" ./garanarabe.exe
  run_case "  3 GB, limit raised to 4 GB" 8700000 4000 "$winprogram" "${wine_run[@]}" ./garanarabe.exe
else
  echo "no Windows program at $winprogram (cmake --preset windows && cmake --build --preset windows -j2)"
fi
