#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each for a bounded time: tests/fuzz/run.sh [seconds per target].
#   jws_reader_fuzz  any bytes through the archive reader and the figure-file mapping; seeds: the
#                    real drawings of tests/data/jws and the small figures in tests/fuzz/seeds
#   svg_render_fuzz  any bytes drawn as a picture; seeds: the samples and the gallery's cases
# clang cannot turn literals into CP932, so this build keeps them UTF-8; the readers do not
# depend on them.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-20}"
out=build/fuzz
mkdir -p "$out/obj"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc)
# The code under test goes into an archive, so that each target links only what it uses.
support=(src/util/*.cpp src/exchange/*.cpp src/figure/*.cpp src/pattern/*.cpp src/jws/*.cpp
  src/svg/drawing.cpp src/svg/svg_render.cpp src/svg/svg_text.cpp)
objects=()
stale=()
for file in "${support[@]}"; do
  object="$out/obj/$(tr / _ <<<"${file%.cpp}").o"
  objects+=("$object")
  # Rebuilt when its source or any header is newer (headers are few; this errs on the safe side).
  if [[ ! -f "$object" || "$file" -nt "$object" ||
        -n "$(find src -name '*.h' -newer "$object" | head -1)" ]]; then
    rm -f "$object"
    stale+=("$file" "$object")
  fi
done
if ((${#stale[@]})); then
  printf '%s\0' "${stale[@]}" | FLAGS="${flags[*]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" \
    xargs -0 -n 2 -P 2 bash -c 'clang++ $FLAGS -c "$1" -o "$2"' compile || true
fi
for object in "${objects[@]}"; do
  [[ -f "$object" ]] || { echo "fuzz build failed: $object" >&2; exit 1; }
done
rm -f "$out/libsupport.a"
ar rcs "$out/libsupport.a" "${objects[@]}"

status=0
run() {
  local target="$1"
  shift
  clang++ "${flags[@]}" "tests/fuzz/$target.cpp" "$out/libsupport.a" -o "$out/$target"
  mkdir -p "$out/corpus-$target"
  # -rss_limit_mb: no input may make the code hold much more than itself.
  local result=0
  "$out/$target" -artifact_prefix="$out/$target-" -max_total_time="$seconds" -max_len=65536 \
    -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 "$out/corpus-$target" "$@" \
    >"$out/$target.log" 2>&1 || result=$?
  if ((result)); then
    tail -60 "$out/$target.log"
    echo "$target found a fault (input: $out/$target-crash-* or similar)" >&2
    status=1
  else
    echo "$target: $(grep -E '^(Done|stat::number_of_executed_units)' "$out/$target.log" | tr '\n' ' ')"
  fi
}
run jws_reader_fuzz tests/data/jws tests/fuzz/seeds
seeds="$out/seeds-svg"
rm -rf "$seeds"
mkdir -p "$seeds"
n=0
for file in samples/JWC_TEMP.TXT samples/*/JWC_TEMP.TXT samples/sel.txt docs/gallery/cases/*/*.txt \
  docs/gallery/cases/*/JWC_TEMP.TXT; do
  [[ -f "$file" ]] && cp "$file" "$seeds/$((n++))"
done
run svg_render_fuzz "$seeds"
exit "$status"
