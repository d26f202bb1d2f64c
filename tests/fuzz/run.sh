#!/usr/bin/env bash
# Builds the archive reader's fuzz target with clang's libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs it for a bounded time: tests/fuzz/run.sh [seconds].
# Seeds: the real drawings of tests/data/jws and the small figures in tests/fuzz/seeds.
# clang cannot turn literals into CP932, so this build keeps them UTF-8; the reader has none.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-25}"
out=build/fuzz
mkdir -p "$out/corpus"
# The reader and the mapping, linked against the utility and figure code they use; that code goes
# into an archive so that only what is used is linked.
sources=(src/jws/*.cpp)
support=(src/util/*.cpp src/figure/*.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc)
if [[ ! -x "$out/jws_reader_fuzz" || -n "$(find "${sources[@]}" "${support[@]}" src/jws src/util \
      src/figure tests/fuzz/jws_reader_fuzz.cpp -newer "$out/jws_reader_fuzz" | head -1)" ]]; then
  rm -rf "$out/obj"
  mkdir -p "$out/obj"
  for file in "${support[@]}"; do
    clang++ "${flags[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -c "$file" \
      -o "$out/obj/$(tr / _ <<<"${file%.cpp}").o"
  done
  rm -f "$out/libsupport.a"
  ar rcs "$out/libsupport.a" "$out"/obj/*.o
  clang++ "${flags[@]}" "${sources[@]}" tests/fuzz/jws_reader_fuzz.cpp "$out/libsupport.a" \
    -o "$out/jws_reader_fuzz"
fi
# -rss_limit_mb: a file may never make the reader hold much more than itself.
status=0
"$out/jws_reader_fuzz" -artifact_prefix="$out/" -max_total_time="$seconds" -max_len=65536 \
  -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 "$out/corpus" tests/data/jws tests/fuzz/seeds \
  >"$out/log" 2>&1 || status=$?
if ((status)); then
  tail -60 "$out/log"
  echo "fuzzing the archive reader found a fault (input: $out/crash-*)" >&2
else
  grep -E '^(Done|stat::number_of_executed_units)' "$out/log"
fi
exit "$status"
