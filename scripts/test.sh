#!/usr/bin/env bash
# Builds and runs every test: the optimised build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, short fuzzing runs of the Jw_cad archive reader and the picture
# writer, then the 32-bit Windows build with its tests under Wine and the settings dialog clicked
# through.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
for preset in release sanitize; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j 2
  ctest --preset "$preset"
done
# The archive reader and the picture writer take any bytes: fuzz each for a bounded time.
./tests/fuzz/run.sh 20

./scripts/install-windows-deps.sh
wine_prefix="$PWD/build/windows/wineprefix"
# No Wine process may outlive the tests, whatever their outcome.
trap 'WINEPREFIX="$wine_prefix" wineserver -k 2>/dev/null || true' EXIT
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2
ctest --preset windows
# The settings dialog clicked through on a virtual display; screenshots in build/windows/gui/.
./tests/gui/run_gui_tests.sh build/windows
