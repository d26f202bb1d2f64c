#!/usr/bin/env bash
# Builds the program and runs its main job as Jw_cad would: run mode "2" (a pattern along
# several designated points) on the sample drawing in samples/, in a fresh program directory.
# Prints where the result is, and draws it next to it as an SVG picture and a PNG of that.
# With an argument, runs another sample instead: 1 (two points) or 3 (register a selection).
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-2}"
case "$mode" in
  1) input=samples/two-points/JWC_TEMP.TXT ;;
  2) input=samples/JWC_TEMP.TXT ;;
  3) input=samples/register/JWC_TEMP.TXT ;;
  *) echo "usage: $0 [1|2|3]" >&2; exit 2 ;;
esac

./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j 2 --target garanarabe garanarabe-svg

# The program works in its own folder, as beside Jw_cad: JWC_TEMP.TXT, sel.txt and
# garanarabe.dat all live next to it.
dir="$(mktemp -d "${TMPDIR:-/tmp}/garanarabe-demo.XXXXXX")"
cp build/release/src/garanarabe samples/sel.txt samples/garanarabe.dat "$dir/"
cp "$input" "$dir/JWC_TEMP.TXT"
cp "$input" "$dir/input.txt"
(cd "$dir" && ./garanarabe "$mode")

echo
if [[ "$mode" == 3 ]]; then
  echo "Registered the selection of $input as the figure file:"
  echo "  $dir/sel.txt"
  echo "Settings with its size in every row of the selected figure:"
  echo "  $dir/garanarabe.dat"
  echo
  cat "$dir/sel.txt"
  exit 0
fi

# A picture of what Jw_cad would draw: every entity of the result, with the designated points of
# the input under it, as SVG and as PNG.
build/release/src/garanarabe-svg "$dir/JWC_TEMP.TXT" -o "$dir/result.svg" --points "$dir/input.txt"
rsvg-convert -b white -o "$dir/result.png" "$dir/result.svg"

lines=$(wc -l <"$dir/JWC_TEMP.TXT")
echo "Ran run mode \"$mode\" on $input in the program directory $dir"
echo "Result (what Jw_cad reads back, $lines lines):"
echo "  $dir/JWC_TEMP.TXT"
echo "Input as Jw_cad wrote it: $dir/input.txt"
echo "Picture of the result (SVG and PNG):"
echo "  $dir/result.svg"
echo "  $dir/result.png"
echo
echo "First lines of the result:"
head -n 12 "$dir/JWC_TEMP.TXT" | tr -d '\r' | sed 's/^/  /'
