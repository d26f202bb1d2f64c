#!/usr/bin/env bash
# Builds the program and runs its main job as Jw_cad would: run mode "2" (a pattern along
# several designated points) on the sample drawing in samples/, in a fresh program directory.
# Prints where the result is and writes an SVG preview of it next to it.
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
cmake --build --preset release -j 2 --target garanarabe

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

# A picture of what Jw_cad would draw: lines, circles and arcs of the result, the designated
# points of the input in red.
awk -v out="$dir/result.svg" '
  function num(s) { return s ~ /^-?[0-9.]+(E-?[0-9]+)?$/ }
  function grow(x, y) {
    if (!seen) { x0 = x1 = x; y0 = y1 = y; seen = 1 }
    if (x < x0) x0 = x; if (x > x1) x1 = x; if (y < y0) y0 = y; if (y > y1) y1 = y
  }
  function seg(ax, ay, bx, by) {
    body = body sprintf("<line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\"/>\n", ax, -ay, bx, -by)
    grow(ax, ay); grow(bx, by)
  }
  FNR == 1 { file++ }
  { sub(/\r$/, "") }
  file == 1 && $1 ~ /^hp[0-9]+$/ {
    marks = marks sprintf("<circle cx=\"%g\" cy=\"%g\" r=\"R\"/>\n", $2, -$3); grow($2, $3)
  }
  file == 2 && NF == 4 && num($1) && num($2) && num($3) && num($4) { seg($1, $2, $3, $4) }
  file == 2 && $1 == "ci" && (NF == 4 || NF == 8) {
    pi = atan2(0, -1); r = $4; f = 1; t = 0; s = 0; e = 360
    if (NF == 8) { s = $5; e = $6; f = $7; t = $8 * pi / 180 }
    if (e <= s) e += 360
    steps = 48
    for (i = 0; i <= steps; i++) {
      a = (s + (e - s) * i / steps) * pi / 180
      u = r * cos(a); v = r * f * sin(a)
      px = $2 + u * cos(t) - v * sin(t); py = $3 + u * sin(t) + v * cos(t)
      if (i) seg(qx, qy, px, py)
      qx = px; qy = py
    }
  }
  END {
    if (!seen) { x0 = y0 = 0; x1 = y1 = 1 }
    m = (x1 - x0 + y1 - y0) / 40 + 1
    gsub(/"R"/, "\"" m / 4 "\"", marks)
    printf("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"%g %g %g %g\">\n",
           x0 - m, -y1 - m, x1 - x0 + 2 * m, y1 - y0 + 2 * m) > out
    printf("<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"white\"/>\n",
           x0 - m, -y1 - m, x1 - x0 + 2 * m, y1 - y0 + 2 * m) > out
    printf("<g stroke=\"black\" stroke-width=\"%g\" fill=\"none\">\n%s</g>\n", m / 30, body) > out
    printf("<g fill=\"red\">\n%s</g>\n</svg>\n", marks) > out
  }' "$dir/input.txt" "$dir/JWC_TEMP.TXT"

lines=$(wc -l <"$dir/JWC_TEMP.TXT")
echo "Ran run mode \"$mode\" on $input in the program directory $dir"
echo "Result (what Jw_cad reads back, $lines lines):"
echo "  $dir/JWC_TEMP.TXT"
echo "Input as Jw_cad wrote it: $dir/input.txt"
echo "Preview: $dir/result.svg"
echo
echo "First lines of the result:"
head -n 12 "$dir/JWC_TEMP.TXT" | tr -d '\r' | sed 's/^/  /'
