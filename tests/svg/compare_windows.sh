#!/usr/bin/env bash
# Draws the same files with the Windows garanarabe-svg (under Wine) and the Linux one and
# requires byte-identical pictures, so that a committed picture does not depend on where it
# was drawn.
#   compare_windows.sh LINUX_SVG WINDOWS_SVG SAMPLES_DIR RUNNER...
# RUNNER is the command that starts a Windows program (cmake/wine-run.sh with its prefix).
set -euo pipefail
linux="$1" windows="$2" samples="$3"
shift 3
runner=("$@")
if [[ ! -x "$linux" ]]; then
  echo "SKIP: no Linux program at $linux (build the release preset first)"
  # scripts/test.sh sets GARA_NO_SKIP: there a missing piece fails the check.
  exit "$([[ -n "${GARA_NO_SKIP:-}" ]] && echo 1 || echo 77)"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$samples/JWC_TEMP.TXT" "$work/multi.txt"
cp "$samples/two-points/JWC_TEMP.TXT" "$work/two.txt"
cp "$samples/sel.txt" "$work/sel.txt"
# Every kind of entity, at angles whose sines and cosines are not exact.
printf '%s\r\n' 'hs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1' 'lc3' 'lt5' 'lw30' '0.1 0.2 33.3 17.7' \
  'ci 10 10 7.5 17 253 0.35 33.3' 'ci -5 3 2.2' 'cn0 2.5 3.5 0.5 4' 'cc5' \
  'ch 3 4 7 -3 "Text 1' 'cv 20 20 0 -1 "AB' 'pt 1 1' 'pt 2 2 1.5 37 3' 'lc10 12345678' \
  'sl 0 0 5 1 4 6 -1 3' 'sc 30 0 6 0.7 0.3 0.2 1.9 -1' 'so 30 20 6 0.8 0.1 0.5 4 3' \
  'sg 45 20 6 0.8 0.1 0 6.2831853 4' 'se 45 0 6 1 0 1 2 0' 'msg' '0 -5 40 -5' \
  'cs 18 -4.5 10 0 "40' 'hp1 0 0' 'hp2 40 0' >"$work/entities.txt"

failures=0
for input in multi two sel entities; do
  "$linux" "$work/$input.txt" --points "$work/multi.txt" -o "$work/$input.linux.svg"
  (cd "$work" && "${runner[@]}" "$windows" "$input.txt" --points multi.txt -o "$input.windows.svg")
  if cmp -s "$work/$input.linux.svg" "$work/$input.windows.svg"; then
    echo "same $input"
  else
    echo "FAIL $input: the pictures differ"
    diff "$work/$input.linux.svg" "$work/$input.windows.svg" | head -10 || true
    failures=$((failures + 1))
  fi
done
[[ "$failures" == 0 ]]
