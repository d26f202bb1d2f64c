#!/usr/bin/env bash
# Draws the gallery of docs/gallery/: every folder under docs/gallery/cases/ is one run of the
# program as Jw_cad starts it (the case's JWC_TEMP.TXT, garanarabe.dat and figure file beside the
# program, the run mode named in its file "mode"), and its result becomes docs/gallery/<case>.svg,
# drawn by garanarabe-svg with the designated points of the input under it.
#
#   gallery.sh [BUILD_DIR] [--check] [--program PATH] [--svg PATH]
#
# BUILD_DIR (default build/release) holds the built programs; without it and without --program
# and --svg the release build is brought up to date first. --check draws into a temporary folder
# instead, compares with the committed pictures byte for byte, names every stale, missing or
# surplus picture and exits 1 if there is any.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
gallery="$root/docs/gallery"

build="" check=0 program="" svg=""
while (($#)); do
  case "$1" in
    --check) check=1 ;;
    --program) program="$2"; shift ;;
    --svg) svg="$2"; shift ;;
    -h | --help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "gallery.sh: unknown option $1" >&2; exit 2 ;;
    *) build="$1" ;;
  esac
  shift
done

if [[ -z "$build$program$svg" ]]; then
  (cd "$root" && cmake --preset release >/dev/null &&
    cmake --build --preset release -j 2 --target garanarabe garanarabe-svg >/dev/null)
fi
build="${build:-$root/build/release}"
[[ -n "$program" ]] || program="$build/src/garanarabe"
[[ -n "$svg" ]] || svg="$build/src/garanarabe-svg"
for tool in "$program" "$svg"; do
  if [[ -z "$tool" || ! -x "$tool" ]]; then
    echo "gallery.sh: the programs garanarabe and garanarabe-svg are not built in $build" >&2
    exit 2
  fi
done
program="$(realpath "$program")" svg="$(realpath "$svg")"

work="$(mktemp -d "${TMPDIR:-/tmp}/garanarabe-gallery.XXXXXX")"
trap 'rm -rf "$work"' EXIT
if ((check)); then out="$work/pictures"; else out="$gallery"; fi
mkdir -p "$out"

cases=()
for case_dir in "$gallery"/cases/*/; do
  name="$(basename "$case_dir")"
  cases+=("$name")
  mode="$(tr -d ' \r\n' <"$case_dir/mode")"
  # A fresh program folder, as beside Jw_cad: the program, its settings, the figure file and
  # the exchange file it reads and rewrites. The input is kept for its designated points.
  dir="$work/run/$name"
  mkdir -p "$dir"
  cp "$program" "$dir/garanarabe"
  find "$case_dir" -maxdepth 1 -type f ! -name mode -exec cp {} "$dir/" \;
  cp "$dir/JWC_TEMP.TXT" "$dir/input.txt"
  if ! (cd "$dir" && ./garanarabe "$mode"); then
    echo "gallery.sh: $name: garanarabe $mode failed" >&2
    exit 1
  fi
  # Relative names only, so that nothing of the temporary folder reaches the picture.
  (cd "$dir" && "$svg" JWC_TEMP.TXT -o picture.svg --points input.txt)
  cp "$dir/picture.svg" "$out/$name.svg"
done

if ((!check)); then
  printf 'Drew %d pictures:\n' "${#cases[@]}"
  for name in "${cases[@]}"; do echo "  docs/gallery/$name.svg"; done
  exit 0
fi

stale=0
for name in "${cases[@]}"; do
  if [[ ! -f "$gallery/$name.svg" ]]; then
    echo "missing: docs/gallery/$name.svg"; stale=1
  elif ! cmp -s "$out/$name.svg" "$gallery/$name.svg"; then
    echo "stale: docs/gallery/$name.svg"; stale=1
  fi
done
for picture in "$gallery"/*.svg; do
  [[ -e "$picture" ]] || continue
  name="$(basename "$picture" .svg)"
  if [[ ! -d "$gallery/cases/$name" ]]; then
    echo "no case for: docs/gallery/$name.svg"; stale=1
  fi
done
if ((stale)); then
  echo "The gallery is out of date: run ./scripts/gallery.sh and commit docs/gallery/."
  exit 1
fi
echo "All ${#cases[@]} gallery pictures are up to date."
