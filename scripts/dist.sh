#!/usr/bin/env bash
# Makes the release folder dist/: the 32-bit Windows program (and the JWS converter when the
# build has it), the Jw_cad batch files of the three run modes and the settings, and the
# Japanese read-me. Text files are turned into what Jw_cad and Windows expect: Shift-JIS with
# CR LF line ends. Run as root on Debian 12; installs what it lacks.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-windows-deps.sh
cmake --preset windows >/dev/null
targets=(garanarabe)
if cmake --build --preset windows --target help | grep -qE '^\.\.\. kvx( |$)'; then
  targets+=(kvx)
fi
cmake --build --preset windows -j 2 --target "${targets[@]}"

rm -rf dist
mkdir dist
for target in "${targets[@]}"; do
  built="$(find build/windows -name "$target.exe" -not -path '*/CMakeFiles/*' -print -quit)"
  i686-w64-mingw32-strip -o "dist/$target.exe" "$built"
done
for text in packaging/*.BAT packaging/*.TXT; do
  iconv -f UTF-8 -t CP932 "$text" | sed 's/\r*$/\r/' >"dist/$(basename "$text")"
done
echo "dist/:"
ls -l dist
