#!/usr/bin/env bash
# Draws real files with garanarabe-svg and checks every picture with xmllint: the sample
# exchange and figure files, the Jw_cad drawings of the test data converted by kvx, and the
# result of a drawing run over its input's designated points.
#
#   check_pictures.sh SVG_PROGRAM PROGRAM KVX SAMPLES_DIR JWW_DIR
#
# Exit 77 (skipped) when xmllint is not installed, 1 (failed) if GARA_NO_SKIP is set.
set -euo pipefail
svg="$1" program="$2" kvx="$3" samples="$4" jww_dir="$5"
if ! command -v xmllint >/dev/null; then
  echo "SKIP: xmllint not installed"
  # scripts/test.sh sets GARA_NO_SKIP: there a missing piece fails the check.
  exit "$([[ -n "${GARA_NO_SKIP:-}" ]] && echo 1 || echo 77)"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/gara-svg.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0 checked=0

# check NAME SVG_FILE: well-formed, an <svg> root, no NaN or infinity in any number.
check() {
  local name="$1" file="$2"
  checked=$((checked + 1))
  if ! xmllint --noout "$file"; then
    echo "FAIL $name: not well-formed"; failures=$((failures + 1)); return
  fi
  if ! grep -q '<svg ' "$file"; then
    echo "FAIL $name: no svg element"; failures=$((failures + 1)); return
  fi
  if grep -Eiq '(nan|inf)[^a-z]' <(grep -v -e '<text' -e '<title' "$file"); then
    echo "FAIL $name: a number is not finite"; failures=$((failures + 1)); return
  fi
  echo "ok   $name ($(wc -c <"$file") bytes)"
}

# render NAME ARGS...: draws into $work/NAME.svg and checks it.
render() {
  local name="$1"; shift
  if ! "$svg" "$@" -o "$work/$name.svg"; then
    echo "FAIL $name: garanarabe-svg $* failed"; failures=$((failures + 1)); return
  fi
  check "$name" "$work/$name.svg"
}

render sample-multi-points "$samples/JWC_TEMP.TXT"
render sample-two-points "$samples/two-points/JWC_TEMP.TXT"
render sample-register "$samples/register/JWC_TEMP.TXT"
render sample-figure "$samples/sel.txt"

# Files the reader takes but nothing sensible draws: empty, every byte value, absurd numbers.
: >"$work/empty.txt"
render empty "$work/empty.txt"
for ((b = 0; b < 256; b++)); do printf "\\$(printf %03o "$b")"; done >"$work/bytes.txt"
render every-byte "$work/bytes.txt"
printf '%s\r\n' '0 0 1e300 1e300' 'ci 0 0 1e308' 'ci 1e9 -1e9 1e9 0 359.99999999 1e300 1e-300' \
  'ch 0 0 1e-300 0 "x' 'cn0 1e300 1e300 1e300 99' 'ch 0 0 1 0 "<&>' 'sl 1e300 0 0 0 1 1' \
  'pt 0 0 1e300 1e300 99' 'so 0 0 1 1 1e300 1e300 1e300 0.5' 'hp1 1e300 1e300' 'hp2 nan inf' \
  'NaN NaN NaN NaN' '-1e9 -1e9 1e9 1e9' >"$work/absurd.txt"
render absurd "$work/absurd.txt"
if (($(wc -c <"$work/absurd.svg") > 4000)); then
  echo "FAIL absurd: $(wc -c <"$work/absurd.svg") bytes for thirteen lines"; failures=$((failures + 1))
fi

# Standard output carries the same document as -o.
"$svg" "$samples/sel.txt" >"$work/stdout.svg"
if ! cmp -s "$work/stdout.svg" "$work/sample-figure.svg"; then
  echo "FAIL standard output differs from -o"; failures=$((failures + 1))
fi

for drawing in "$jww_dir"/*.jww "$jww_dir"/*.jws; do
  [[ -e "$drawing" ]] || continue
  name="$(basename "$drawing")"
  if ! "$kvx" /1 "$work/$name.txt" "$drawing" 2>"$work/kvx.err"; then
    echo "FAIL $name: kvx could not convert it: $(cat "$work/kvx.err")"; failures=$((failures + 1))
    continue
  fi
  render "figure-$name" "$work/$name.txt"
done

# A drawing run: the program in its own folder with the sample figure and settings, then its
# result drawn over the designated points of its input.
for mode in 1 2; do
  run="$work/run$mode"
  mkdir "$run"
  cp "$program" "$samples/sel.txt" "$samples/garanarabe.dat" "$run/"
  if [[ "$mode" == 1 ]]; then input="$samples/two-points/JWC_TEMP.TXT"; else input="$samples/JWC_TEMP.TXT"; fi
  cp "$input" "$run/JWC_TEMP.TXT"
  cp "$input" "$run/input.txt"
  (cd "$run" && "./$(basename "$program")" "$mode")
  render "run-mode-$mode" "$run/JWC_TEMP.TXT" --points "$run/input.txt"
  if ! grep -q '<line' "$work/run-mode-$mode.svg" || ! grep -q 'designated-point' "$work/run-mode-$mode.svg"; then
    echo "FAIL run-mode-$mode: the result or the designated points are missing"
    failures=$((failures + 1))
  fi
done

echo "$checked pictures checked, $failures failures"
[[ "$failures" == 0 ]]
