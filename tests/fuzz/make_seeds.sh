#!/usr/bin/env bash
# Seeds of the whole-program and settings fuzz targets from the samples and the gallery cases:
#   make_seeds.sh OUT_DIR SAMPLES_DIR GALLERY_CASES_DIR
# OUT_DIR/program holds one input per case (JWC_TEMP.TXT, NUL, garanarabe.dat, NUL, figure
# file), OUT_DIR/settings each settings file.
set -euo pipefail
out="$1" samples="$2" gallery="$3"
rm -rf "$out"
mkdir -p "$out/program" "$out/settings"
n=0
# seed EXCHANGE SETTINGS FIGURE
seed() {
  n=$((n + 1))
  { cat "$1"; printf '\0'; cat "$2"; printf '\0'; cat "$3"; } >"$out/program/$n"
  cp "$2" "$out/settings/$n"
}
for exchange in "$samples/JWC_TEMP.TXT" "$samples"/*/JWC_TEMP.TXT; do
  seed "$exchange" "$samples/garanarabe.dat" "$samples/sel.txt"
done
for dir in "$gallery"/*/; do
  figure="$dir/sel.txt"
  [[ -f "$figure" ]] || figure="$dir/jws.txt"
  seed "$dir/JWC_TEMP.TXT" "$dir/garanarabe.dat" "$figure"
done
