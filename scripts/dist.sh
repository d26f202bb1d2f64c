#!/usr/bin/env bash
# Makes the release archive dist/garanarabe-VERSION.zip, what a Jw_cad user downloads: one folder
# garanarabe-VERSION/ holding the 32-bit Windows program, the JWS converter, the Jw_cad batch
# files of the run modes and the settings, the Japanese read-me, the list of changes and the
# SHA-256 of every file. The unpacked folder stays beside it in dist/.
#
# VERSION is the one of project() in CMakeLists.txt; the newest entry of packaging/変更履歴.TXT
# must name it, and its date is the time of every file in the archive.
#
# Text files are turned into what Jw_cad and Windows expect: Shift-JIS with CR LF line ends.
# File names in the archive are Shift-JIS without the UTF-8 flag, as Windows' own unpacker reads
# them. The archive is reproducible: fixed times, order and permissions, no extra fields; the
# script packs it twice and fails if the two differ. Run as root on Debian 12; installs what it
# lacks.
set -euo pipefail
cd "$(dirname "$0")/.."
# Byte order of globs and tools, whatever the caller's locale.
export LC_ALL=C
# The archive's times are those of the files in UTC; zip would otherwise take options from here.
export TZ=UTC
unset ZIPOPT ZIP

./scripts/install-windows-deps.sh
cmake --preset windows >/dev/null
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)"
[[ -n "$version" ]] || { echo "dist.sh: no project version in build/windows" >&2; exit 1; }
cmake --build --preset windows -j 2 --target garanarabe kvx

changes="packaging/変更履歴.TXT"
newest="$(LC_ALL=C.UTF-8 grep -m 1 '^■ ' "$changes")"
release_date="$(sed -n 's/^■ \([0-9.]*\)（\([0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\}\)）$/\1 \2/p' <<<"$newest")"
if [[ "${release_date% *}" != "$version" ]]; then
  echo "dist.sh: the newest entry of $changes is '$newest', not version $version" >&2
  exit 1
fi
release_date="${release_date#* }"

name="garanarabe-$version"
sjis() { iconv -f UTF-8 -t CP932; }
# Shift-JIS with CR LF, whatever line ends the source has.
to_windows_text() { sjis <"$1" | sed 's/\r*$/\r/'; }

# stage DIR: the folder of the archive, complete, under DIR/$name; prints its entries in order.
stage() {
  local folder="$1/$name"
  rm -rf "$folder"
  mkdir -p "$folder"
  local target built
  for target in garanarabe kvx; do
    built="$(find build/windows/src -name "$target.exe" -not -path '*/CMakeFiles/*' -print -quit)"
    # strip writes the time into the PE header: the release date instead of now.
    SOURCE_DATE_EPOCH="$(date -u -d "$release_date" +%s)" \
      i686-w64-mingw32-strip -o "$folder/$target.exe" "$built"
  done
  local text
  for text in packaging/*.BAT; do
    to_windows_text "$text" >"$folder/$(basename "$text")"
  done
  sed "s/@VERSION@/$version/" packaging/README.TXT | to_windows_text /dev/stdin >"$folder/README.TXT"
  local changes_name
  changes_name="$(basename "$changes" | sjis)"
  to_windows_text "$changes" >"$folder/$changes_name"
  local files=(garanarabe.exe kvx.exe)
  for text in packaging/*.BAT; do files+=("$(basename "$text")"); done
  files+=(README.TXT "$changes_name")
  (cd "$folder" && sha256sum "${files[@]}") | sed 's/\r*$/\r/' >"$folder/SHA256SUMS.TXT"
  files+=(SHA256SUMS.TXT)
  local file
  for file in "${files[@]}"; do
    chmod 0644 "$folder/$file"
    touch -d "$release_date 00:00:00" "$folder/$file"
  done
  printf "$name/%s\n" "${files[@]}"
}

# pack DIR ZIP: the staged folder of DIR as ZIP. No directory entries (-D) and no extra fields
# with owners and exact times (-X): only the names, the DOS times and the contents.
pack() {
  local list entries
  list="$(stage "$1")"
  mapfile -t entries <<<"$list"
  rm -f "$2"
  (cd "$1" && zip -X -D -9 -q "$2" "${entries[@]}")
}

mkdir -p dist
rm -rf "dist/$name" "dist/$name.zip"
pack dist "$PWD/dist/$name.zip"
# Packed again from a second staging elsewhere: the same bytes, or the archive is not reproducible.
again="$(mktemp -d)"
trap 'rm -rf "$again"' EXIT
pack "$again" "$again/$name.zip"
if ! cmp -s "dist/$name.zip" "$again/$name.zip"; then
  echo "dist.sh: two packings of the same build differ" >&2
  exit 1
fi

echo "dist/$name.zip ($(stat -c %s "dist/$name.zip") bytes)"
sha256sum "dist/$name.zip"
zipinfo "dist/$name.zip" | iconv -f CP932 -t UTF-8
