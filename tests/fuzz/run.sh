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
sources=(src/jws/*.cpp src/util/*.cpp src/figure/extents.cpp src/figure/figure_format.cpp)
if [[ ! -x "$out/jws_reader_fuzz" || -n "$(find "${sources[@]}" src/jws tests/fuzz/jws_reader_fuzz.cpp \
      -newer "$out/jws_reader_fuzz" 2>/dev/null | head -1)" ]]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -Isrc "${sources[@]}" tests/fuzz/jws_reader_fuzz.cpp -o "$out/jws_reader_fuzz"
fi
# -rss_limit_mb: a file may never make the reader hold much more than itself.
status=0
"$out/jws_reader_fuzz" -artifact_prefix="$out/" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 \
  -timeout=10 -print_final_stats=1 "$out/corpus" tests/data/jws tests/fuzz/seeds \
  >"$out/log" 2>&1 || status=$?
if ((status)); then
  tail -60 "$out/log"
  echo "fuzzing the archive reader found a fault (input: $out/crash-*)" >&2
else
  grep -E '^(Done|stat::number_of_executed_units)' "$out/log"
fi
exit "$status"
