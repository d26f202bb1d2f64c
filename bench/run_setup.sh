# Sourced by the whole-run benchmarks: the Linux and Windows programs of the builds given (or
# the default ones), a work folder removed on exit, and `crlf`.
#   source bench/run_setup.sh NAME [release build dir] [windows build dir]
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${2:-$root/build/release}
winbuild=${3:-$root/build/windows}
program=$build/src/garanarabe
winprogram=$winbuild/src/garanarabe.exe
for tool in "$program" /usr/bin/time; do
  [[ -x $tool ]] || { echo "missing $tool (cmake --preset release && cmake --build --preset release -j2)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/gara-$1-XXXXXX")
trap 'rm -rf "$work"' EXIT

crlf() { sed 's/$/\r/'; }
