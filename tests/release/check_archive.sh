#!/usr/bin/env bash
# The release archive as a Jw_cad user gets it: unpacked into a fresh folder with Shift-JIS file
# names as Windows' own unpacker reads them, its files complete and as listed in SHA256SUMS.TXT,
# its texts Shift-JIS with CR LF, one version everywhere it is shown, and its batch files run
# under Wine as Jw_cad runs them (modes 1 to 4 on the cross cases) giving byte for byte what the
# Linux program gives.
#   check_archive.sh ARCHIVE VERSION LINUX_PROGRAM WINDOWS_SVG_PROGRAM CASES_DIR RUNNER...
# LINUX_PROGRAM is the Linux garanarabe (kvx and garanarabe-svg beside it); RUNNER starts a
# Windows program (cmake/wine-run.sh with its prefix).
set -euo pipefail

archive="$1" version="$2" linux="$3" windows_svg="$4" cases="$5"
shift 5
runner=("$@")
linux_dir="$(dirname "$linux")"

missing=""
[[ -f "$archive" ]] || missing="no release archive at $archive (run scripts/dist.sh)"
[[ -x "$linux" ]] || missing="no Linux program at $linux (build the release preset first)"
command -v bsdtar >/dev/null || missing="no bsdtar (scripts/install-windows-deps.sh)"
if [[ -n "$missing" ]]; then
  echo "SKIP: $missing"
  # scripts/test.sh sets GARA_NO_SKIP: there a missing piece fails the check.
  exit "$([[ -n "${GARA_NO_SKIP:-}" ]] && echo 1 || echo 77)"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}
utf8() { iconv -f CP932 -t UTF-8 "$@"; }

mkdir "$work/unpacked"
LC_ALL=C.UTF-8 bsdtar --options hdrcharset=CP932 -xf "$archive" -C "$work/unpacked"
name="garanarabe-$version"
folder="$work/unpacked/$name"
[[ "$(ls "$work/unpacked")" == "$name" ]] ||
  fail "the archive holds $(ls "$work/unpacked" | tr '\n' ' ')instead of the one folder $name"
[[ -d "$folder" ]] || exit 1

# --- the files -----------------------------------------------------------------------------------
shipped=(garanarabe.exe kvx.exe GARA_2P.BAT GARA_MP.BAT GARA_PATH.BAT GARA_REG.BAT GARA_SET.BAT
  README.TXT 変更履歴.TXT SHA256SUMS.TXT)
listed="$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)"
[[ "$listed" == "$(printf '%s\n' "${shipped[@]}" | LC_ALL=C sort)" ]] ||
  fail "the folder holds: $(tr '\n' ' ' <<<"$listed")"
(cd "$folder" && utf8 SHA256SUMS.TXT | tr -d '\r' | sha256sum --quiet --strict -c) ||
  fail "SHA256SUMS.TXT does not match the files"
[[ "$(utf8 "$folder/SHA256SUMS.TXT" | wc -l)" == $((${#shipped[@]} - 1)) ]] ||
  fail "SHA256SUMS.TXT does not list every other file"
for text in "$folder"/*.BAT "$folder"/*.TXT; do
  base="$(basename "$text")"
  utf8 "$text" >/dev/null 2>&1 || fail "$base is not Shift-JIS"
  if LC_ALL=C grep -qv $'\r$' "$text" || [[ "$(tail -c 1 "$text" | od -An -tx1)" != " 0a" ]]; then
    fail "$base has a line without CR LF"
  fi
done

# --- one version -----------------------------------------------------------------------------------
# expect_version WHAT OUTPUT PROGRAM: OUTPUT is "PROGRAM VERSION".
expect_version() {
  [[ "$(tr -d '\r' <<<"$2")" == "$3 $version" ]] || fail "$1 --version says '$2'"
}
for program in garanarabe kvx garanarabe-svg; do
  expect_version "Linux $program" "$("$linux_dir/$program" --version)" "$program"
done
for program in garanarabe kvx; do
  expect_version "unpacked $program.exe" \
    "$(cd "$folder" && timeout 60 "${runner[@]}" "./$program.exe" --version 2>&1)" "$program"
done
expect_version "Windows garanarabe-svg.exe" \
  "$(timeout 60 "${runner[@]}" "$windows_svg" --version 2>&1)" garanarabe-svg
# (Whole texts first: a "grep -q" that stops reading early would fail the pipe.)
readme="$(utf8 "$folder/README.TXT" | tr -d '\r')"
grep -qxF "バージョン　$version" <<<"$readme" || fail "README.TXT has no line 'バージョン　$version'"
changes="$(utf8 "$folder/変更履歴.TXT")"
newest="$(grep -m 1 '^■ ' <<<"$changes" || true)"
[[ "$newest" == "■ $version（"* ]] || fail "the newest entry of 変更履歴.TXT is '$newest'"
# The dialog's help text is in the program as Shift-JIS bytes.
LC_ALL=C grep -qaF "$(printf 'バージョン　%s' "$version" | iconv -t CP932)" "$folder/garanarabe.exe" ||
  fail "the help text of the unpacked garanarabe.exe does not show $version"

# --- the run modes, as Jw_cad starts them ------------------------------------------------------------
batch_of_mode() {
  case "$1" in
    1) echo GARA_2P.BAT ;;
    2) echo GARA_MP.BAT ;;
    3) echo GARA_REG.BAT ;;
    4) echo GARA_PATH.BAT ;;
  esac
}
runs=0 modes_run=""
for case in "$cases"/*/; do
  case_name="$(basename "$case")"
  on_linux="$work/run/$case_name/linux" on_windows="$work/run/$case_name/windows"
  mkdir -p "$on_linux"
  # The unpacked folder is the program folder Jw_cad writes its exchange file into.
  cp -r "$folder" "$on_windows"
  find "$case" -maxdepth 1 -type f ! -name modes -exec cp {} "$on_linux/" \; \
    -exec cp {} "$on_windows/" \;
  cp "$linux" "$on_linux/garanarabe"
  for mode in $(cat "$case/modes"); do
    runs=$((runs + 1))
    modes_run+="$mode"
    linux_code=0 windows_code=0
    (cd "$on_linux" && timeout 60 ./garanarabe "$mode" >/dev/null 2>&1) || linux_code=$?
    (cd "$on_windows" && timeout 120 "${runner[@]}" cmd /c "$(batch_of_mode "$mode")" \
      >/dev/null 2>&1) || windows_code=$?
    [[ "$linux_code" == "$windows_code" ]] ||
      fail "$case_name mode $mode: exit code $linux_code on Linux, $windows_code from the batch file"
    # Every file the runs made or changed, on either side.
    for file in $( (ls "$on_linux"; ls "$on_windows") | LC_ALL=C sort -u); do
      [[ "$file" == garanarabe ]] && continue
      [[ " ${shipped[*]} " == *" $file "* ]] && continue
      cmp -s "$on_linux/$file" "$on_windows/$file" || fail "$case_name mode $mode: $file differs"
    done
  done
done
for mode in 1 2 3 4; do
  [[ "$modes_run" == *"$mode"* ]] || fail "no case runs mode $mode"
done

echo "$runs runs of the unpacked batch files; $failures failures"
((failures == 0))
