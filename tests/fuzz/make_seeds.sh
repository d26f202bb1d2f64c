#!/usr/bin/env bash
# Seeds of the whole-program, settings and row details fuzz targets from the samples and the
# gallery cases:
#   make_seeds.sh OUT_DIR SAMPLES_DIR GALLERY_CASES_DIR
# OUT_DIR/program holds inputs of JWC_TEMP.TXT, NUL, garanarabe.dat, NUL, figure file: each case
# once so, and once more with NUL and a garanarabe.ini after it whose row 1 names the figure as
# alt.txt (or, for the samples, a file that is not there), for the gallery also as its corner
# piece and caps; the cases drawn along a path once more with row 1 bending its figures as well.
# OUT_DIR/settings holds each settings file, OUT_DIR/details each garanarabe.ini.
set -euo pipefail
out="$1" samples="$2" gallery="$3"
rm -rf "$out"
mkdir -p "$out/program" "$out/settings" "$out/details"
crlf() { printf '%s\r\n' "$@"; }
crlf '; row details' '[1]' 'alternate=alt.txt' 'alternate_source=C:\Jw\alt.jws' '' \
  '[2]' 'colour=red' >"$out/details/followed"
crlf '[1]' 'corner=alt.txt' 'start=alt.txt' 'end=alt.txt' >"$out/details/pieces"
crlf '[1]' 'alternate=missing.txt' '[1]' 'alternate=../alt.txt' '[window]' 'left=10' \
  >"$out/details/refused"
crlf '  [ 3 ]  ' $'\talternate = \x95\x5C.txt ' 'no equals' ';c' '[12]' 'alternate=CON' '[]' \
  '=' >"$out/details/edited"
crlf '[1]' 'bend=1' 'alternate=alt.txt' '[2]' 'bend=yes' >"$out/details/bent"
# As Notepad saves it: UTF-8 with its mark; and with CR line ends, names Shift-JIS cannot spell
# and a NUL.
printf '\xEF\xBB\xBF; \xE6\x9F\x84\r\n[1]\r\nalternate=\xE8\xA1\xA8.txt\r\n' >"$out/details/utf8"
printf '\xEF\xBB\xBF[1]\ralternate=\xED\x95\x9C.txt\r\xC0\xAF=\xF0\x9F\x98\x80\r[2]\rend=a\0b\r' \
  >"$out/details/utf8-odd"
n=0
# seed EXCHANGE SETTINGS FIGURE [DETAILS]
seed() {
  n=$((n + 1))
  {
    cat "$1"; printf '\0'; cat "$2"; printf '\0'; cat "$3"
    if [[ $# -gt 3 ]]; then printf '\0'; cat "$4"; fi
  } >"$out/program/$n"
  cp "$2" "$out/settings/$n"
}
for exchange in "$samples/JWC_TEMP.TXT" "$samples"/*/JWC_TEMP.TXT; do
  seed "$exchange" "$samples/garanarabe.dat" "$samples/sel.txt"
  seed "$exchange" "$samples/garanarabe.dat" "$samples/sel.txt" "$out/details/refused"
done
for dir in "$gallery"/*/; do
  figure="$dir/sel.txt"
  [[ -f "$figure" ]] || figure="$dir/jws.txt"
  seed "$dir/JWC_TEMP.TXT" "$dir/garanarabe.dat" "$figure"
  seed "$dir/JWC_TEMP.TXT" "$dir/garanarabe.dat" "$figure" "$out/details/followed"
  seed "$dir/JWC_TEMP.TXT" "$dir/garanarabe.dat" "$figure" "$out/details/pieces"
  if [[ "$(cat "$dir/mode")" == *4* ]]; then
    seed "$dir/JWC_TEMP.TXT" "$dir/garanarabe.dat" "$figure" "$out/details/bent"
  fi
done
