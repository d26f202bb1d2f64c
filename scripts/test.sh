#!/usr/bin/env bash
# Builds and runs every test: the optimised build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, short fuzzing runs (the Jw_cad archive reader, the picture
# writer, the whole program in modes 1 to 4, the settings file, the row details file), then the
# 32-bit Windows build, the release archive, the tests under Wine (the unpacked archive among them)
# and the settings dialog clicked through.
set -euo pipefail
cd "$(dirname "$0")/.."
# A check that lacks a tool or a program it compares with fails here instead of being skipped.
export GARA_NO_SKIP=1
./scripts/install-deps.sh
for preset in release sanitize; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j 2
  ctest --preset "$preset"
done
# Each fuzz target runs for 20 seconds from its seeds (a test of the fuzz preset).
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2
ctest --preset fuzz

./scripts/install-windows-deps.sh
wine_prefix="$PWD/build/windows/wineprefix"
# No Wine process may outlive the tests, whatever their outcome.
trap 'WINEPREFIX="$wine_prefix" wineserver -k 2>/dev/null || true' EXIT
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2
# The release archive (dist/garanarabe-VERSION.zip), which a test of the windows preset unpacks.
./scripts/dist.sh
ctest --preset windows
# The settings dialog clicked through on a virtual display; screenshots in build/windows/gui/.
./tests/gui/run_gui_tests.sh build/windows
