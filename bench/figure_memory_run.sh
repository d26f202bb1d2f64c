#!/usr/bin/env bash
# Peak memory of drawing runs whose figure file is large: the figure is read in pieces into ops
# that keep only what each kind needs, so a figure of 100 MB takes some tens of megabytes, and
# figure files over the limit of a run (256 MB together) are refused before they are read.
# Runs of mode "2" placing one copy of the figure (20 x 10) between two points:
#   lines     1.9 million lines as the selection export writes them (104 MB)
#   varied    1.5 million lines whose every attribute changes from one line to the next (85 MB)
#   crowded   4.3 million solid arcs of nearly the fewest bytes a record can take, the most
#             values kept for the bytes read (108 MB)
#   too large the lines figure made 300 MB long (a sparse file): refused, "hq" only
# The Linux program runs all four; the Windows program (32-bit, under Wine) too, when its build
# exists. For each: exit status, what the file holds (and the start of its sha256), wall clock and
# peak resident memory (/usr/bin/time; under Wine that of the Wine process running the program).
#
# Usage: bench/figure_memory_run.sh [release build dir] [windows build dir]
#   (defaults build/release and build/windows; build them first; needs about 1 GB of free disk)
#
# Measured on 8 December 2026 on the shared 2-core build machine, Linux program, before (the
# whole file held as text, 88-byte ops for every command, repeated attributes dropped into a
# second list afterwards) and after:
#   lines      104.5 MB   before peak 1512 MB, 5.4 s    after peak  67 MB, 2.7 s   (74 MB output)
#   varied      85.5 MB   before peak 1849 MB, 7.3 s    after peak  98 MB, 2.7 s
#   crowded    107.5 MB   before peak 2923 MB, 16.4 s   after peak 290 MB, 5.3 s
#   too large  300.0 MB   before read, peak 1699 MB     after refused, peak 3.2 MB, 0.0 s
# Every output the same byte for byte (lines 08898785..., varied c9fe19dc..., crowded b43fd38d...).
set -euo pipefail

source "$(dirname "$0")/run_setup.sh" figure "$@"

# The figures, made once.
figure() {
  local kind=$1 count=$2
  awk -v kind="$kind" -v n="$count" 'function r(lo, hi) { return lo + (hi - lo) * rand() }
  BEGIN {
    srand(3)
    print "-10,-5,10,5"; print "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1"; printf "N,%d\n", n
    for (i = 0; i < n; i++) {
      if (kind == "crowded") { printf "S,,,,,101,,,,,1,1,,%d,6,\n", i % 10; continue }
      a = kind == "varied" ? 1 + i % 2 : 0; f = kind == "varied" ? (i % 2 ? 32 : 2048) : 0
      printf "L,0,%d,%d,%d,%d,%d,%d,%.6f,%.6f,%.6f,%.6f\n", a, a + 2, a + 1, a + 1, a, f,
             r(-10, 10), r(-5, 5), r(-10, 10), r(-5, 5)
    }
    print "BD,0"
  }' | crlf > "$work/$kind.txt"
}
figure lines 1900000
figure varied 1500000
figure crowded 4300000
cp "$work/lines.txt" "$work/large.txt"
truncate -s 300000000 "$work/large.txt"

# One program folder: the program, the figure as sel.txt, the settings (row 1: 20 x 10) and two
# designated points 20 apart.
prepare() {
  local dir=$1 kind=$2 exe=$3
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$exe" "$dir/"
  ln "$work/$kind.txt" "$dir/sel.txt" 2>/dev/null || cp "$work/$kind.txt" "$dir/sel.txt"
  printf 'lg0\nly0\nlc1\nlt1\nlw1\nhp1 0 0\nhp2 20 0\n' | crlf > "$dir/JWC_TEMP.TXT"
  { printf '%s\n' 0 0 "" 0 0 0 0 1 0 20 10 0 0 1 0 0 0
    for _ in $(seq 2 12); do printf '%s\n' 0 10 10 0 0 1 0 0 0; done; } \
    | crlf > "$dir/$(basename "${exe%.exe}").dat"
}

run_case() {
  local label=$1 kind=$2 exe=$3
  shift 3
  local dir=$work/run
  prepare "$dir" "$kind" "$exe"
  local status=0
  (cd "$dir" && /usr/bin/time -f "%e %M" -o time.txt "$@" 2 2> stderr.txt) || status=$?
  local seconds peak_kb bytes held sum
  read -r seconds peak_kb < <(tail -n 1 "$dir/time.txt")
  sum=$(sha256sum < "$dir/JWC_TEMP.TXT" | cut -c1-8)
  bytes=$(stat -c %s "$dir/JWC_TEMP.TXT" 2>/dev/null || echo 0)
  if [[ $bytes -le 4 ]] && [[ "$(tr -d '\r\n' < "$dir/JWC_TEMP.TXT")" == hq ]]; then
    held="refused (hq only)"
  else
    held="written"
  fi
  printf '%-12s figure %6.1f MB: exit %d, %-17s %6.1f MB (%s), %5.1f s, peak %7.1f MB\n' \
    "$label" "$(awk -v b="$(stat -c %s "$dir/sel.txt")" 'BEGIN { print b / 1e6 }')" "$status" \
    "$held" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" "$sum" "$seconds" \
    "$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')"
  if [[ -s $dir/stderr.txt ]]; then sed 's/^/    says: /' "$dir/stderr.txt" | head -n 3; fi
  rm -rf "$dir"
}

run_all() {
  local exe=$1
  shift
  run_case "  lines" lines "$exe" "$@"
  run_case "  varied" varied "$exe" "$@"
  run_case "  crowded" crowded "$exe" "$@"
  run_case "  too large" large "$exe" "$@"
}

echo "Linux program ($program):"
run_all "$program" ./garanarabe
if [[ -f $winprogram ]]; then
  echo "Windows program under Wine ($winprogram):"
  run_all "$winprogram" "$root/cmake/wine-run.sh" --prefix "$winbuild/wineprefix" ./garanarabe.exe
else
  echo "no Windows program at $winprogram (cmake --preset windows && cmake --build --preset windows -j2)"
fi
