#!/usr/bin/env bash
# Runs the Windows program (under Wine) and the Linux program on the same inputs, in the run
# modes "1", "2", "3" and "4", and requires byte-identical results: JWC_TEMP.TXT, sel.txt, jws.txt
# and garanarabe.dat after every step.
#   compare_modes.sh LINUX_PROGRAM WINDOWS_PROGRAM CASES_DIR RUNNER...
# RUNNER is the command that starts a Windows program (cmake/wine-run.sh with its prefix).
# Each case is a folder of input files and a file "modes" naming the modes to run one after the
# other in the same program directory. Further cases with random points, settings and
# selections are generated from fixed seeds.
set -euo pipefail

linux="$1" windows="$2" cases="$3"
shift 3
runner=("$@")
if [[ ! -x "$linux" ]]; then
  echo "SKIP: no Linux program at $linux (build the release preset first)"
  # scripts/test.sh sets GARA_NO_SKIP: there a missing piece fails the check.
  exit "$([[ -n "${GARA_NO_SKIP:-}" ]] && echo 1 || echo 77)"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Random cases: points of every magnitude, settings rows of every kind, a selection of lines,
# circles and arcs; the figure files are those of two fixed cases.
generate() {
  local n="$1" dir="$work/generated/random_$1"
  mkdir -p "$dir"
  cp "$cases/two_points_defaults/sel.txt" "$cases/jws_figure/jws.txt" "$dir/"
  awk -v seed="$n" -v dir="$dir" '
    function num(scale) { return sprintf("%.12g", (rand() * 2 - 1) * scale) }
    function pos(lo, hi) { return sprintf("%.10g", lo + rand() * (hi - lo)) }
    function pick(k) { return int(rand() * k) }
    BEGIN {
      srand(seed)
      ex = dir "/JWC_TEMP.TXT"
      printf "hq\r\nhk 0\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n" > ex
      if (pick(3) == 0) printf "bz\r\n" > ex
      scale = (pick(2) ? 100 : 100000)
      points = 2 + pick(8)
      for (i = 1; i <= points; i++) printf "hp%d %s %s\r\n", i, num(scale), num(scale) > ex
      printf "lg%X\r\nly%X\r\nlc%d\r\nlt%d\r\n", pick(16), pick(16), 1 + pick(9), 1 + pick(9) > ex
      if (pick(2)) printf "lw%d\r\n", pick(5) > ex
      for (i = 0; i < 5 + pick(20); i++) {
        kind = pick(3)
        if (kind == 0) printf "%s %s %s %s\r\n", num(50), num(50), num(50), num(50) > ex
        else if (kind == 1) printf "ci %s %s %s\r\n", num(50), num(50), pos(0.1, 20) > ex
        else printf "ci %s %s %s %s %s %s %s\r\n", num(50), num(50), pos(0.1, 20), pos(0, 360), pos(0, 360), pos(0.2, 1), pos(0, 180) > ex
      }
      close(ex)
      dat = dir "/garanarabe.dat"
      printf "%d\r\n%d\r\n\r\n%d\r\n%d\r\n%d\r\n%d\r\n%d\r\n", pick(800), pick(600), pick(2), pick(2), pick(2), pick(2), 1 + pick(12) > dat
      for (r = 1; r <= 12; r++) {
        printf "%d\r\n%s\r\n%s\r\n%d\r\n%s\r\n", pick(2), pos(0.5, 60), pos(0.5, 30), pick(2), pos(0, 25) > dat
        printf "%d\r\n%d\r\n%d\r\n%d\r\n", pick(3), pick(3), pick(3), pick(3) > dat
      }
      close(dat)
      print (pick(2) ? "3 2 1" : "2 1") > (dir "/modes")
    }'
}
for seed in $(seq 1 "${GARA_CROSS_RANDOM_CASES:-12}"); do
  generate "$seed"
  # The same selection once more, drawn along in mode "4".
  cp -r "$work/generated/random_$seed" "$work/generated/random_path_$seed"
  echo 4 >"$work/generated/random_path_$seed/modes"
done

compared=0 failed=0
for case in "$cases"/*/ "$work"/generated/*/; do
  name="$(basename "$case")"
  run="$work/run/$name"
  mkdir -p "$run/linux" "$run/windows"
  for f in "$case"*; do
    [[ "$(basename "$f")" == modes ]] && continue
    cp "$f" "$run/linux/"
    cp "$f" "$run/windows/"
  done
  cp "$linux" "$run/linux/garanarabe"
  cp "$windows" "$run/windows/garanarabe.exe"
  for mode in $(cat "$case/modes"); do
    linuxCode=0 windowsCode=0
    (cd "$run/linux" && timeout 60 ./garanarabe "$mode" >/dev/null 2>&1) || linuxCode=$?
    (cd "$run/windows" && timeout 120 "${runner[@]}" ./garanarabe.exe "$mode" >/dev/null 2>&1) ||
      windowsCode=$?
    if [[ "$linuxCode" != "$windowsCode" ]]; then
      echo "FAIL $name mode $mode: exit code $linuxCode on Linux, $windowsCode on Windows"
      failed=$((failed + 1))
    fi
    for f in JWC_TEMP.TXT sel.txt jws.txt garanarabe.dat; do
      compared=$((compared + 1))
      if [[ -e "$run/linux/$f" || -e "$run/windows/$f" ]] &&
        ! cmp -s "$run/linux/$f" "$run/windows/$f"; then
        echo "FAIL $name mode $mode: $f differs"
        diff -a "$run/linux/$f" "$run/windows/$f" 2>&1 | head -20 || true
        failed=$((failed + 1))
      fi
    done
  done
done
echo "$compared file comparisons, $failed failures"
((failed == 0))
