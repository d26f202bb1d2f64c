#!/usr/bin/env bash
# Clicks through the settings dialog of the Windows program under Wine on a virtual X display
# and checks what it leaves in the settings file. Screenshots go to <build>/gui/.
#   tests/gui/run_gui_tests.sh [build/windows]
# Every wait is bounded; the X server and the Wine server are ended whatever happens.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
build_dir="$(cd "${1:-$source_dir/build/windows}" && pwd)"
exe="$build_dir/src/garanarabe.exe"
converter="$build_dir/tests/fake_kvx.exe"
real_converter="$build_dir/src/kvx.exe"
sample_jws="$source_dir/tests/data/jws/gui_figure.jws"  # a 34.5 x 9.25 frame
out="$build_dir/gui"
prefix="$build_dir/wineprefix"
wine_run="$source_dir/cmake/wine-run.sh"

for tool in Xvfb xdotool import wine bsdtar; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
for file in "$exe" "$converter" "$real_converter" "$sample_jws"; do
  [[ -f "$file" ]] || { echo "not built: $file" >&2; exit 1; }
done

rm -rf "$out"
mkdir -p "$out"

xvfb_pid=""
program_pid=""
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null
  WINEPREFIX="$prefix" timeout 20 wineserver -k 2>/dev/null
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# A Wine server left running by earlier console-only tests keeps a desktop with no display
# attached, and every window created in it stays invisible: start with a fresh server.
WINEPREFIX="$prefix" timeout 20 wineserver -k 2>/dev/null
WINEPREFIX="$prefix" timeout 20 wineserver -w 2>/dev/null

# A free display, chosen by the server itself.
exec 5>"$out/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 1 100); do
  [[ -s "$out/display" ]] && break
  sleep 0.1
done
[[ -s "$out/display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$out/display")"

# The client area lies inside the frame Wine draws itself (there is no window manager).
readonly client_width=877 client_height=688
# The preview pane, in client coordinates.
readonly pane_x=8 pane_y=384 pane_width=861 pane_height=296
window=""
frame_x=0
frame_y=0

failures=0
fail() {
  echo "    $*"
  failures=$((failures + 1))
  case_failed=1
}

# Shift-JIS from UTF-8: the program's files are code page 932.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# write_settings FILE LEFT TOP JWS SWITCH1..4 SELECTED [ROW...]: rows not given are defaults.
write_settings() {
  local file="$1" left="$2" top="$3" jws="$4" s1="$5" s2="$6" s3="$7" s4="$8" selected="$9"
  shift 9
  {
    printf '%s\r\n' "$left" "$top"
    sjis "$jws"
    printf '\r\n'
    printf '%s\r\n' "$s1" "$s2" "$s3" "$s4" "$selected"
    for n in $(seq 1 12); do
      local row="${1:-0 10 10 0 0 1 0 0 0}"
      [[ $# -gt 0 ]] && shift
      for value in $row; do printf '%s\r\n' "$value"; done
    done
  } >"$file"
}

# Line N (1-based) of the settings file.
setting() { sed -n "${2}p" "$1" | tr -d '\r'; }
# Line of field F (0 figure kind .. 8 bottom line) of row N.
row_line() { echo $((9 + 9 * ($1 - 1) + $2)); }

expect_setting() {
  local file="$1" line="$2" want="$3" what="$4"
  local got
  got="$(setting "$file" "$line")"
  [[ "$got" == "$want" ]] || fail "$what: line $line is '$got', expected '$want'"
}

# A program folder as Jw_cad's batch file would use it: the program, the converter and sel.txt,
# a registered figure 12.5 x 4 (a rhombus around a small circle).
new_program_dir() {
  local dir="$out/$1"
  mkdir -p "$dir"
  cp "$exe" "$dir/garanarabe.exe"
  cp "$converter" "$dir/kvx.exe"
  printf '%s\r\n' '0,0,12.5,4' '1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1' 'N,5' \
    'L,0,0,0,2,1,0,0,0,2,6.25,4' 'L,0,0,0,2,1,0,0,6.25,4,12.5,2' 'L,0,0,0,2,1,0,0,12.5,2,6.25,0' \
    'L,0,0,0,2,1,0,0,6.25,0,0,2' 'E,0,0,0,3,1,0,0,6.25,2,1.2,1,0,6.28318530718,0,1' 'BD,0' \
    >"$dir/sel.txt"
  echo "$dir"
}

# The Windows form of a path under the build tree (Wine maps the Unix root to Z:).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# jws_program_dir CASE NAME CONTENT: a program folder whose settings choose the .jws file NAME
# holding CONTENT (printf escapes). The converter stand-in writes what follows "figure" in it as
# jws.txt; "sleep N" first makes it wait N milliseconds.
jws_program_dir() {
  local dir
  dir="$(new_program_dir "$1")"
  # Wine keeps Unix file names in UTF-8.
  printf '%b' "$3" >"$dir/$2"
  write_settings "$dir/garanarabe.dat" 40 30 "$(windows_path "$dir/$2")" 0 0 0 0 1
  echo "$dir"
}

# The visible top-level windows other than the dialog, one per line: id, caption and place.
other_windows() {
  local w root
  root="$(xdotool search --maxdepth 0 --name '' 2>/dev/null | head -n 1)"
  for w in $(xdotool search --maxdepth 1 --onlyvisible --name '' 2>/dev/null); do
    [[ "$w" == "$window" || "$w" == "$root" ]] && continue
    echo "$w '$(xdotool getwindowname "$w" 2>/dev/null)' $(xdotool getwindowgeometry --shell "$w" | tr '\n' ' ')"
  done
}

# Waits (bounded, about 10 s) for a visible window whose caption matches the pattern; prints it.
wait_for_window() {
  local found=""
  for _ in $(seq 1 50); do
    found="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)"
    [[ -n "$found" ]] && break
    sleep 0.2
  done
  echo "$found"
}

# Waits (bounded) until no visible window's caption matches the pattern.
wait_for_no_window() {
  for _ in $(seq 1 50); do
    [[ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]] && return 0
    sleep 0.2
  done
  return 1
}

start_dialog() {
  local dir="$1"
  (cd "$dir" && exec timeout 90 "$wine_run" --prefix "$prefix" "$dir/garanarabe.exe") \
    >"$dir/wine.log" 2>&1 &
  program_pid=$!
  window=""
  # The first start creates the Wine prefix, which takes a while.
  for _ in $(seq 1 600); do
    window="$(xdotool search --onlyvisible --name '柄並べ９' 2>/dev/null | head -n 1)"
    [[ -n "$window" ]] && break
    # Nothing may show before the dialog (the first conversion runs before it); the dialog
    # itself may just have appeared.
    other_windows | grep -v "^[0-9]* '柄並べ９　設定' " >>"$dir/windows-before-the-dialog"
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.2
  done
  if [[ -z "$window" ]]; then
    fail "the dialog did not appear"
    if ! kill -0 "$program_pid" 2>/dev/null; then
      wait "$program_pid"
      echo "    the program ended with status $?; its output:"
      sed 's/^/      /' "$dir/wine.log" | tail -n 20
    fi
    return 1
  fi
  local geometry width height
  geometry="$(xdotool getwindowgeometry --shell "$window")"
  width="$(sed -n 's/^WIDTH=//p' <<<"$geometry")"
  height="$(sed -n 's/^HEIGHT=//p' <<<"$geometry")"
  frame_x=$(((width - client_width) / 2))
  frame_y=$((height - client_height - frame_x))
  sleep 0.5  # let the first paint finish
}

# Waits (bounded) for the program to end; fails the case if it does not.
expect_exit() {
  for _ in $(seq 1 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program_pid" 2>/dev/null; then
    fail "the dialog did not close"
    kill "$program_pid" 2>/dev/null
  fi
  wait "$program_pid" 2>/dev/null
  program_pid=""
}

expect_running() {
  kill -0 "$program_pid" 2>/dev/null || fail "the dialog closed by itself"
}

# click X Y: a click at client coordinates of the form.
click() {
  xdotool mousemove --window "$window" $((frame_x + $1)) $((frame_y + $2)) click 1
  sleep 0.3
}
# Keys go to the focused window (synthetic events sent to a window are ignored by Wine).
key() {
  xdotool key "$@"
  sleep 0.2
}

# Row controls by row number, at their centres.
row_top() { echo $((16 + 24 * ($1 - 1))); }
click_radio() { click 14 $(($(row_top "$1") + 12)); }
click_kind() { click 72 $(($(row_top "$1") + 10)); }
click_arrangement() { click 264 $(($(row_top "$1") + 10)); }
click_interval() { click 332 $(($(row_top "$1") + 10)); }
click_ok() { click 664 332; }
click_cancel() { click 800 332; }
click_button4() { click 736 244; }
click_checkbox() { click 626 $((184 + 24 * ($1 - 1) + ($1 > 2 ? 32 : 0) + 8)); }
# The close box of the frame Wine draws.
click_close_box() {
  xdotool mousemove --window "$window" $((frame_x + client_width - 12)) $((frame_y / 2 + 1)) \
    click 1
  sleep 0.3
}
# An item of a drop-down list that has been opened by a click: move down and take it.
choose_next_item() {
  key Down
  key Return
}

# screenshot NAME [WINDOW]: the dialog, or another window.
screenshot() {
  local geometry
  geometry="$(xdotool getwindowgeometry --shell "${2:-$window}")"
  local x y w h
  x="$(sed -n 's/^X=//p' <<<"$geometry")"
  y="$(sed -n 's/^Y=//p' <<<"$geometry")"
  w="$(sed -n 's/^WIDTH=//p' <<<"$geometry")"
  h="$(sed -n 's/^HEIGHT=//p' <<<"$geometry")"
  import -window root -crop "${w}x${h}+${x}+${y}" "$out/$1.png" 2>/dev/null ||
    fail "no screenshot $1.png"
}

run_case() {
  local name="$1"
  case_failed=0
  "case_$name"
  if [[ "$case_failed" == 0 ]]; then echo "ok - $name"; else echo "not ok - $name"; fi
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null
  program_pid=""
}

# --- cases -------------------------------------------------------------------------------------

case_shows_the_dialog() {
  local dir
  dir="$(new_program_dir show)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 1 0 0 1 \
    "0 10 10 0 2 1 2 0 2" "1 10 10 1 2.5 0 1 2 1" "0 10 10 0 5 2 2 2 2" "7 3.5 2 9 0 5 5 5 5"
  start_dialog "$dir" || return
  screenshot dialog
  local name
  name="$(xdotool getwindowname "$window")"
  [[ "$name" == "柄並べ９　設定" ]] || fail "caption is '$name'"
  local geometry
  geometry="$(xdotool getwindowgeometry --shell "$window")"
  grep -qx 'X=40' <<<"$geometry" && grep -qx 'Y=30' <<<"$geometry" ||
    fail "not at the stored place: $(tr '\n' ' ' <<<"$geometry")"
  cp "$dir/garanarabe.dat" "$dir/before.dat"
  # Esc is Cancel.
  key Escape
  expect_exit
  cmp -s "$dir/before.dat" "$dir/garanarabe.dat" || fail "Esc changed the settings file"
}

# The program of the release archive (scripts/dist.sh), unpacked as Windows' own unpacker does it
# (Shift-JIS file names), opens its dialog from its folder; the help shows the version first.
case_unpacked_release_opens_the_dialog() {
  local version archive dir="$out/release"
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")"
  archive="$source_dir/dist/garanarabe-$version.zip"
  [[ -f "$archive" ]] || { fail "no release archive $archive (run scripts/dist.sh)"; return; }
  mkdir -p "$dir"
  LC_ALL=C.UTF-8 bsdtar --options hdrcharset=CP932 -xf "$archive" -C "$dir"
  dir="$dir/garanarabe-$version"
  start_dialog "$dir" || return
  screenshot release-dialog
  key Escape
  expect_exit
  [[ ! -e "$dir/garanarabe.dat" ]] || fail "Esc wrote a settings file"
}

case_ok_saves_the_edited_values() {
  local dir
  dir="$(new_program_dir ok)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1
  start_dialog "$dir" || return
  click_radio 3
  click_arrangement 3
  choose_next_item
  click_interval 3
  key End shift+Home
  xdotool type "2.5"
  sleep 0.2
  click_interval 4
  key End shift+Home
  xdotool type -- "-3"
  sleep 0.2
  click_ok
  expect_exit
  local dat="$dir/garanarabe.dat"
  expect_setting "$dat" 1 40 "window left"
  expect_setting "$dat" 2 30 "window top"
  expect_setting "$dat" 8 3 "selected row"
  expect_setting "$dat" "$(row_line 3 3)" 1 "row 3 arrangement"
  expect_setting "$dat" "$(row_line 3 4)" 2.5 "row 3 interval"
  expect_setting "$dat" "$(row_line 4 4)" 0 "row 4 interval -3"
  expect_setting "$dat" "$(row_line 3 1)" 12.5 "row 3 width (sel.txt)"
  expect_setting "$dat" "$(row_line 3 2)" 4 "row 3 height (sel.txt)"
  expect_setting "$dat" "$(row_line 3 5)" 1 "row 3 reference point"
  [[ "$(wc -l <"$dat")" == 116 ]] || fail "the settings file has $(wc -l <"$dat") lines"
}

# The third item of 配置, 伸縮配置, is chosen in row 1 of a first start (no settings file) and
# stored as 2; the other rows keep 0.
case_ok_saves_the_stretch_arrangement() {
  local dir
  dir="$(new_program_dir stretch)"
  start_dialog "$dir" || return
  click_arrangement 1
  screenshot stretch-list
  key Down
  choose_next_item
  screenshot stretch
  click_ok
  expect_exit
  local dat="$dir/garanarabe.dat"
  expect_setting "$dat" "$(row_line 1 3)" 2 "row 1 arrangement"
  expect_setting "$dat" "$(row_line 2 3)" 0 "row 2 arrangement"
}

case_cancel_saves_nothing() {
  local dir
  dir="$(new_program_dir cancel)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 1 0 0 0 1
  cp "$dir/garanarabe.dat" "$dir/before.dat"
  start_dialog "$dir" || return
  click_radio 5
  click_button4
  click_cancel
  expect_exit
  cmp -s "$dir/before.dat" "$dir/garanarabe.dat" || fail "Cancel changed the settings file"
}

case_close_box_saves_nothing() {
  local dir
  dir="$(new_program_dir close)"
  start_dialog "$dir" || return
  click_radio 2
  click_close_box
  expect_exit
  [[ ! -e "$dir/garanarabe.dat" ]] || fail "the close box wrote a settings file"
}

case_button4_clears_the_switches() {
  local dir
  dir="$(new_program_dir button4)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 1 1 1 1
  start_dialog "$dir" || return
  click_button4
  screenshot button4
  click_ok
  expect_exit
  for line in 4 5 6 7; do expect_setting "$dir/garanarabe.dat" "$line" 0 "switch $((line - 3))"; done
}

case_checkbox2_clears_checkbox1() {
  local dir
  dir="$(new_program_dir checkbox2)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 1 0 0 1 1
  start_dialog "$dir" || return
  click_checkbox 2
  # Enter is OK.
  key Return
  expect_exit
  local dat="$dir/garanarabe.dat"
  expect_setting "$dat" 4 0 "CheckBox1"
  expect_setting "$dat" 5 1 "CheckBox2"
  expect_setting "$dat" 6 0 "CheckBox3"
  expect_setting "$dat" 7 1 "CheckBox4"
}

case_jws_figure_shows_the_converted_size() {
  local dir
  dir="$(jws_program_dir jws "図形 ファイル.jws" 'figure\n1,2,34.5,9.25\r\n')"
  start_dialog "$dir" || return
  click_kind 5
  choose_next_item
  sleep 1
  screenshot jws-figure
  click_ok
  expect_exit
  local dat="$dir/garanarabe.dat"
  expect_setting "$dat" "$(row_line 5 0)" 1 "row 5 figure kind"
  expect_setting "$dat" "$(row_line 5 1)" 33.5 "row 5 width"
  expect_setting "$dat" "$(row_line 5 2)" 7.25 "row 5 height"
  expect_setting "$dat" "$(row_line 4 1)" 12.5 "row 4 width"
}

# The real converter: the row loaded as a JWS figure and the row switched to one show the
# size of the converted .jws file.
case_real_converter_measures_the_jws_file() {
  local dir
  dir="$(new_program_dir real-converter)"
  cp "$real_converter" "$dir/kvx.exe"
  local jws="$dir/柄 図形.jws"
  cp "$sample_jws" "$jws"
  write_settings "$dir/garanarabe.dat" 40 30 "$(windows_path "$jws")" 0 0 0 0 1 \
    "0 10 10 0 0 1 0 0 0" "1 10 10 0 0 1 0 0 0"
  start_dialog "$dir" || return
  click_kind 7
  choose_next_item
  sleep 1
  screenshot real-converter
  click_ok
  expect_exit
  local dat="$dir/garanarabe.dat"
  for row in 2 7; do
    expect_setting "$dat" "$(row_line "$row" 0)" 1 "row $row figure kind"
    expect_setting "$dat" "$(row_line "$row" 1)" 34.5 "row $row width"
    expect_setting "$dat" "$(row_line "$row" 2)" 9.25 "row $row height"
  done
  expect_setting "$dat" "$(row_line 1 1)" 12.5 "row 1 width"
}

# While the converter runs, clicks on OK, Cancel, the close box and another figure-kind box
# neither save, close, nor start a second conversion; afterwards the dialog works as before.
case_clicks_during_a_conversion_are_ignored() {
  local dir
  dir="$(jws_program_dir busy slow.jws 'sleep 4000\nfigure\n0,0,20,5\r\n')"
  cp "$dir/garanarabe.dat" "$dir/before.dat"
  # The dialog's own start converts once (4 s) before it shows.
  start_dialog "$dir" || return
  rm -f "$dir/jws.txt.args"
  click_kind 5
  choose_next_item
  sleep 0.5
  screenshot during-conversion
  click_ok
  click_cancel
  click_kind 6
  choose_next_item
  click_close_box
  expect_running
  cmp -s "$dir/before.dat" "$dir/garanarabe.dat" || fail "saved during the conversion"
  # Only the conversion of row 5 runs: no second one starts once it ends (a second one would
  # record its call and delete jws.txt first).
  for _ in $(seq 1 100); do
    [[ -s "$dir/jws.txt" ]] && break
    sleep 0.1
  done
  [[ -s "$dir/jws.txt" ]] || fail "the conversion for row 5 did not finish"
  touch "$dir/converted"
  sleep 2
  expect_running
  [[ -e "$dir/jws.txt.args" ]] || fail "the converter did not run for row 5"
  [[ -s "$dir/jws.txt" && ! "$dir/jws.txt.args" -nt "$dir/converted" ]] ||
    fail "a second conversion started"
  click_ok
  expect_exit
  local dat="$dir/garanarabe.dat"
  expect_setting "$dat" "$(row_line 5 0)" 1 "row 5 figure kind"
  expect_setting "$dat" "$(row_line 5 1)" 20 "row 5 width"
  expect_setting "$dat" "$(row_line 6 0)" 0 "row 6 figure kind (its change was refused)"
  expect_setting "$dat" "$(row_line 6 1)" 12.5 "row 6 width"
}

# The converter is a console program: no console window (nor any other) may show while it
# runs, neither for the conversion before the dialog opens nor for one the dialog starts.
case_no_console_window_during_a_conversion() {
  local dir
  dir="$(jws_program_dir console slow.jws 'sleep 3000\nfigure\n0,0,20,5\r\n')"
  start_dialog "$dir" || return
  if [[ -s "$dir/windows-before-the-dialog" ]]; then
    fail "windows before the dialog: $(sort -u "$dir/windows-before-the-dialog" | tr '\n' ' ')"
  fi
  click_kind 5
  choose_next_item
  local seen="$dir/windows-during-the-conversion" shot=""
  : >"$seen"
  for _ in $(seq 1 100); do
    [[ -s "$dir/jws.txt" ]] && break
    other_windows >>"$seen"
    if [[ -z "$shot" ]]; then
      # The whole screen, in the middle of the conversion.
      import -window root "$out/no-console-window.png" 2>/dev/null
      shot=taken
    fi
    sleep 0.2
  done
  [[ -n "$shot" ]] || fail "the conversion was over before the screen was looked at"
  [[ -s "$dir/jws.txt" ]] || fail "the conversion did not finish"
  [[ -s "$seen" ]] && fail "windows during the conversion: $(sort -u "$seen" | tr '\n' ' ')"
  click_cancel
  expect_exit
}

click_browse() { click 568 332; }

# browse_to FILE: 参照, then the file's path typed into the open-file dialog.
browse_to() {
  click_browse
  type_into_open_dialog "$1"
}

# type_into_open_dialog FILE: once the open-file dialog shows, the file's path typed into it.
type_into_open_dialog() {
  local open
  open="$(wait_for_window '^開く$')"
  if [[ -z "$open" ]]; then
    fail "the open-file dialog did not appear"
    return 1
  fi
  sleep 0.5
  key End shift+Home
  xdotool type --delay 20 "$(windows_path "$1")"
  sleep 0.2
  key Return
}

# After a conversion the keyboard is the dialog's again, on the 参照 button that was clicked:
# Enter presses it and the open-file dialog appears once more (Esc closes it).
expect_focus_on_the_browse_button() {
  key Return
  if [[ -z "$(wait_for_window '^開く$')" ]]; then
    fail "the keyboard did not come back to the dialog"
    return
  fi
  sleep 0.3
  key Escape
  wait_for_no_window '^開く$' || fail "the open-file dialog did not close"
  sleep 0.3
}

# start_browsing CASE NAME CONTENT: a dialog whose row 2 shows the JWS figure of old.jws (20 x 5),
# then 参照 to the new file NAME holding CONTENT (as for jws_program_dir). Sets dir.
start_browsing() {
  dir="$(jws_program_dir "$1" old.jws 'figure\n0,0,20,5\r\n')"
  printf '%b' "$3" >"$dir/$2"
  write_settings "$dir/garanarabe.dat" 40 30 "$(windows_path "$dir/old.jws")" 0 0 0 0 1 \
    "0 10 10 0 0 1 0 0 0" "1 10 10 0 0 1 0 0 0"
  start_dialog "$dir" || return
  browse_to "$dir/$2"
}

# expect_stored_jws FILE: the settings file names FILE as the .jws file.
expect_stored_jws() {
  local stored
  stored="$(setting "$dir/garanarabe.dat" 3)"
  [[ "$stored" == "$(windows_path "$1")" ]] || fail "stored .jws file: $stored"
}

case_browse_gives_the_keyboard_back() {
  local dir
  start_browsing browse-focus new.jws 'sleep 1000\nfigure\n1,1,31,9\r\n' || return
  for _ in $(seq 1 50); do
    [[ -s "$dir/jws.txt" ]] && grep -q 31 "$dir/jws.txt" && break
    sleep 0.2
  done
  sleep 0.5
  screenshot browse-focus
  expect_focus_on_the_browse_button
  click_ok
  expect_exit
  expect_stored_jws "$dir/new.jws"
  expect_setting "$dir/garanarabe.dat" "$(row_line 2 1)" 30 "row 2 width"
  expect_setting "$dir/garanarabe.dat" "$(row_line 2 2)" 8 "row 2 height"
}

# A .jws file that gives no figure: a message box says so, the rows of the JWS figure show what
# OK then stores, and the keyboard is the dialog's again.
case_browse_to_a_file_without_a_figure() {
  local dir box
  start_browsing browse-fail broken.jws 'fail' || return
  box="$(wait_for_window '^r864_柄並べ９$')"
  if [[ -z "$box" ]]; then
    fail "no message box"
    return
  fi
  sleep 0.5
  import -window root "$out/no-figure-message.png" 2>/dev/null
  key Return
  wait_for_no_window '^r864_柄並べ９$' || fail "the message box did not close"
  sleep 0.5
  screenshot no-figure-rows
  expect_focus_on_the_browse_button
  click_ok
  expect_exit
  expect_stored_jws "$dir/broken.jws"
  expect_setting "$dir/garanarabe.dat" "$(row_line 2 1)" 1 "row 2 width"
  expect_setting "$dir/garanarabe.dat" "$(row_line 2 2)" 1 "row 2 height"
  expect_setting "$dir/garanarabe.dat" "$(row_line 1 1)" 12.5 "row 1 width"
}

# "12345678" fits the 間隔 field: the screenshot shows all eight digits.
case_interval_field_shows_eight_digits() {
  local dir
  dir="$(new_program_dir interval)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1 "0 10 10 0 12345678 1 0 0 0"
  start_dialog "$dir" || return
  click_interval 2
  key End shift+Home
  xdotool type "87654321"
  sleep 0.2
  key Home
  screenshot interval-field
  click_ok
  expect_exit
  expect_setting "$dir/garanarabe.dat" "$(row_line 2 4)" 87654321 "row 2 interval"
}

# A position stored for a screen that is gone brings the dialog back onto this one.
case_off_screen_position_comes_back() {
  local dir
  dir="$(new_program_dir off-screen)"
  write_settings "$dir/garanarabe.dat" 5000 -4000 "" 0 0 0 0 1
  start_dialog "$dir" || return
  local geometry
  geometry="$(xdotool getwindowgeometry --shell "$window")"
  grep -qx 'X=0' <<<"$geometry" && grep -qx 'Y=0' <<<"$geometry" ||
    fail "not on the screen: $(tr '\n' ' ' <<<"$geometry")"
  click_cancel
  expect_exit
}

case_drawing_scale_unit_label() {
  local dir
  dir="$(new_program_dir paper-scale)"
  printf 'bz\r\nhq\r\n' >"$dir/JWC_TEMP.TXT"
  start_dialog "$dir" || return
  screenshot paper-scale
  click_cancel
  expect_exit
}

# pane_shot NAME: the preview pane alone, cut from the screenshot NAME.png.
pane_shot() {
  convert "$out/$1.png" +repage -crop "${pane_width}x${pane_height}+$((frame_x + pane_x))+$((frame_y + pane_y))" \
    +repage "$out/$1-pane.png"
}
# Pixels that differ between two pictures of the same size.
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
# Pixels of the pane's picture (inside its border and below its caption) that are not white.
drawn_pixels() {
  local inner_width=$((pane_width - 20)) inner_height=$((pane_height - 34))
  convert "$1" -crop "${inner_width}x${inner_height}+10+24" +repage "$out/inner.png"
  convert -size "${inner_width}x${inner_height}" xc:white "$out/white.png"
  differing_pixels "$out/inner.png" "$out/white.png"
}
expect_drawn() {
  local drawn
  drawn="$(drawn_pixels "$out/$1-pane.png")"
  ((drawn > 500)) || fail "$1: the preview holds $drawn drawn pixels"
}
expect_different_panes() {
  local differ
  differ="$(differing_pixels "$out/$1-pane.png" "$out/$2-pane.png")"
  ((differ > 100)) || fail "the previews $1 and $2 differ in $differ pixels"
}

# The pane shows the row whose radio button is on, and follows every change of it: row 1
# (reference 上, no lines) and row 2 (reference 下, top and bottom lines over the whole length)
# look different, and so does row 2 with another interval and with the writing colour.
case_preview_follows_the_selected_row() {
  local dir
  dir="$(new_program_dir preview)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1 \
    "0 12.5 4 0 2 0 0 0 0" "0 12.5 4 0 2 2 2 0 2"
  start_dialog "$dir" || return
  screenshot preview-row1
  click_radio 2
  sleep 0.3
  screenshot preview-row2
  click_interval 2
  key End shift+Home
  xdotool type "8"
  sleep 0.5
  screenshot preview-row2-interval
  # The writing colour replaces the figure's own black and green.
  click_checkbox 3
  sleep 0.3
  screenshot preview-row2-colour
  for shot in preview-row1 preview-row2 preview-row2-interval preview-row2-colour; do
    pane_shot "$shot"
    expect_drawn "$shot"
  done
  expect_different_panes preview-row1 preview-row2
  expect_different_panes preview-row2 preview-row2-interval
  expect_different_panes preview-row2-interval preview-row2-colour
  # A click into the pane leaves the keyboard where it was: Esc still cancels.
  click $((pane_x + pane_width / 2)) $((pane_y + pane_height / 2))
  key Escape
  expect_exit
}

# A row whose figure is missing shows the note instead, and the dialog works as before.
case_preview_of_a_missing_figure() {
  local dir
  dir="$(new_program_dir preview-missing)"
  rm "$dir/sel.txt"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1
  start_dialog "$dir" || return
  screenshot preview-missing
  pane_shot preview-missing
  expect_drawn preview-missing
  click_cancel
  expect_exit
}

# The selected row shows the JWS figure: after 参照 to another .jws file the pane shows the new
# figure (two crossed lines, then a circle).
case_preview_follows_the_jws_file() {
  local dir scales='1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1'
  dir="$(jws_program_dir preview-jws old.jws "figure\\n0,0,20,5\\r\\n$scales\\r\\nN,2\\r\\nL,0,0,0,2,1,0,0,0,0,20,5\\r\\nL,0,0,0,2,1,0,0,0,5,20,0\\r\\nBD,0\\r\\n")"
  printf '%b' "figure\\n0,0,8,8\\r\\n$scales\\r\\nN,1\\r\\nE,0,0,0,6,1,0,0,4,4,4,1,0,6.28318530718,0,1\\r\\nBD,0\\r\\n" \
    >"$dir/new.jws"
  write_settings "$dir/garanarabe.dat" 40 30 "$(windows_path "$dir/old.jws")" 0 0 0 0 2 \
    "0 10 10 0 0 1 0 0 0" "1 10 10 0 2 1 0 0 0"
  start_dialog "$dir" || return
  screenshot preview-jws-old
  browse_to "$dir/new.jws" || return
  for _ in $(seq 1 50); do
    grep -q 6.28 "$dir/jws.txt" 2>/dev/null && break
    sleep 0.2
  done
  sleep 0.5
  screenshot preview-jws-new
  for shot in preview-jws-old preview-jws-new; do
    pane_shot "$shot"
    expect_drawn "$shot"
  done
  expect_different_panes preview-jws-old preview-jws-new
  click_ok
  expect_exit
  expect_setting "$dir/garanarabe.dat" "$(row_line 2 1)" 8 "row 2 width"
}


# --- the 詳細 sub-dialog ------------------------------------------------------------------------

readonly sub_client_width=832 sub_client_height=552
# The groups stand in a 2 x 2 grid: 交互図形, 角図形 / 始端図形, 終端図形; these are the client
# offsets of each from the first.
readonly -a group_dx=(0 412 0 412) group_dy=(0 0 254 254)
sub=""
sub_frame_x=0
sub_frame_y=0

# open_details ROW: the row's radio button, then 詳細…; waits for the sub-dialog. Sets sub.
open_details() {
  click_radio "$1"
  click 68 364
  sub="$(wait_for_window "^柄 $1 の詳細\$")"
  if [[ -z "$sub" ]]; then
    fail "the sub-dialog of row $1 did not appear"
    return 1
  fi
  local geometry width height
  geometry="$(xdotool getwindowgeometry --shell "$sub")"
  width="$(sed -n 's/^WIDTH=//p' <<<"$geometry")"
  height="$(sed -n 's/^HEIGHT=//p' <<<"$geometry")"
  sub_frame_x=$(((width - sub_client_width) / 2))
  sub_frame_y=$((height - sub_client_height - sub_frame_x))
  sleep 0.3
}
# click_sub X Y: a click at client coordinates of the sub-dialog.
click_sub() {
  xdotool mousemove --window "$sub" $((sub_frame_x + $1)) $((sub_frame_y + $2)) click 1
  sleep 0.3
}
# click_sub_selection [GROUP]: 選択図形を取り込む of the group (0: 交互図形, 1: 角図形, ...).
click_sub_selection() {
  local g="${1:-0}"
  click_sub $((60 + group_dx[g])) $((62 + group_dy[g]))
}
click_sub_bend() { click_sub 32 530; }
click_sub_ok() { click_sub 640 530; }
click_sub_cancel() { click_sub 763 530; }
# sub_browse_to FILE: the sub-dialog's 参照, then the file's path typed into the open-file dialog.
sub_browse_to() {
  click_sub 368 110
  type_into_open_dialog "$1"
}
expect_sub_closed() {
  wait_for_no_window '^柄 [0-9]* の詳細$' || fail "the sub-dialog did not close"
  sleep 0.3
}
# expect_sub_picture SHOT [GROUP]: the pixels of the group's picture that are not white.
expect_sub_picture() {
  local g="${2:-0}"
  convert "$out/$1.png" +repage \
    -crop "372x96+$((sub_frame_x + 24 + group_dx[g]))+$((sub_frame_y + 150 + group_dy[g]))" \
    +repage "$out/$1-picture$g.png"
  convert -size 372x96 xc:white "$out/white-picture.png"
  local drawn
  drawn="$(differing_pixels "$out/$1-picture$g.png" "$out/white-picture.png")"
  ((drawn > 300)) || fail "$1: the picture of group $g holds $drawn drawn pixels"
}

# 選択図形を取り込む for row 3's 交互図形 and 角図形 and 曲線に沿って曲げる checked, then both
# OKs: row03_alternate.txt and row03_corner.txt are copies of sel.txt and the details file names
# them and holds bend=1, after the lines it held; meanwhile the preview draws the corner piece at
# the second point.
case_details_take_the_selection() {
  local dir file
  dir="$(new_program_dir details-ok)"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1
  printf '; mine\r\n[5]\r\nother=1\r\n' >"$dir/garanarabe.ini"
  start_dialog "$dir" || return
  click_radio 3
  sleep 0.3
  screenshot details-selection-before
  open_details 3 || return
  click_sub_selection 0
  click_sub_selection 1
  click_sub_bend
  sleep 0.3
  screenshot details-selection "$sub"
  expect_sub_picture details-selection 0
  expect_sub_picture details-selection 1
  click_sub_ok
  expect_sub_closed
  [[ ! -e "$dir/row03_alternate.txt" && ! -e "$dir/row03_corner.txt" ]] ||
    fail "a row's figure was written before OK"
  sleep 0.5
  screenshot details-corner-preview
  pane_shot details-selection-before
  pane_shot details-corner-preview
  expect_drawn details-corner-preview
  expect_different_panes details-selection-before details-corner-preview
  click_ok
  expect_exit
  for file in row03_alternate.txt row03_corner.txt; do
    cmp -s "$dir/sel.txt" "$dir/$file" || fail "$file is not sel.txt"
  done
  printf '; mine\r\n[5]\r\nother=1\r\n[3]\r\nalternate=row03_alternate.txt\r\ncorner=row03_corner.txt\r\nbend=1\r\n' \
    >"$dir/want.ini"
  cmp -s "$dir/want.ini" "$dir/garanarabe.ini" ||
    fail "garanarabe.ini: $(tr '\r\n' '  ' <"$dir/garanarabe.ini")"
  expect_setting "$dir/garanarabe.dat" 8 3 "selected row"
}

# A .jws file converted for row 2's alternate: the sub-dialog shows its size and picture, the
# preview draws the row with it set; the main キャンセル then leaves the details file as it was
# and writes no figure file.
case_details_cancel_writes_nothing() {
  local dir scales='1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1'
  dir="$(new_program_dir details-cancel)"
  printf '%b' "figure\\n0,0,8,8\\r\\n$scales\\r\\nN,1\\r\\nE,0,0,0,6,1,0,0,4,4,4,1,0,6.28318530718,0,1\\r\\nBD,0\\r\\n" \
    >"$dir/alt.jws"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1 "0 12.5 4 0 2 0 0 0 0" \
    "0 12.5 4 0 2 1 2 0 2"
  printf '[2]\r\nkeep=1\r\n' >"$dir/garanarabe.ini"
  cp "$dir/garanarabe.ini" "$dir/before.ini"
  cp "$dir/garanarabe.dat" "$dir/before.dat"
  start_dialog "$dir" || return
  click_radio 2
  sleep 0.3
  screenshot details-before
  open_details 2 || return
  sub_browse_to "$dir/alt.jws" || return
  sleep 1
  screenshot details-jws "$sub"
  expect_sub_picture details-jws
  click_sub_ok
  expect_sub_closed
  screenshot details-preview
  # The circle now stands between the row's own figures.
  for shot in details-before details-preview; do
    pane_shot "$shot"
    expect_drawn "$shot"
  done
  expect_different_panes details-before details-preview
  click_cancel
  expect_exit
  cmp -s "$dir/before.ini" "$dir/garanarabe.ini" || fail "キャンセル changed garanarabe.ini"
  cmp -s "$dir/before.dat" "$dir/garanarabe.dat" || fail "キャンセル changed garanarabe.dat"
  for file in row02_alternate.txt row02_alternate.txt.tmp jws.txt; do
    [[ ! -e "$dir/$file" ]] || fail "キャンセル left $file"
  done
}

# The alternate figure the details file names for row 1 is drawn in its preview: row 2, alike
# but without one, looks different.
case_preview_draws_the_stored_alternate() {
  local dir scales='1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1'
  dir="$(new_program_dir details-stored)"
  printf '%b' "0,0,8,8\r\n$scales\r\nN,1\r\nE,0,0,0,6,1,0,0,4,4,4,1,0,6.28318530718,0,1\r\nBD,0\r\n" \
    >"$dir/circle.txt"
  printf '[1]\r\nalternate=circle.txt\r\n' >"$dir/garanarabe.ini"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1 "0 12.5 4 0 2 1 0 0 0" \
    "0 12.5 4 0 2 1 0 0 0"
  start_dialog "$dir" || return
  screenshot stored-alternate
  click_radio 2
  sleep 0.3
  screenshot stored-alternate-row2
  for shot in stored-alternate stored-alternate-row2; do
    pane_shot "$shot"
    expect_drawn "$shot"
  done
  expect_different_panes stored-alternate stored-alternate-row2
  click_cancel
  expect_exit
}

# With a figure of 20 000 lines, eight digits typed quickly into 間隔 all arrive in the box and
# OK right after them stores them, within a few seconds: the preview waits for the typing.
case_typing_is_not_held_up_by_the_preview() {
  local dir
  dir="$(new_program_dir typing)"
  {
    printf '%s\r\n' '0,0,100,100' '1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1' 'N,20000'
    awk 'BEGIN { for (i = 0; i < 20000; i++) printf "L,0,0,0,2,1,0,0,%d,0,%d,100\r\n", i % 100, (i * 7) % 100 }'
    printf 'BD,0\r\n'
  } >"$dir/sel.txt"
  write_settings "$dir/garanarabe.dat" 40 30 "" 0 0 0 0 1 "0 100 100 0 5 0 0 0 0"
  start_dialog "$dir" || return
  click_interval 1
  key End shift+Home
  local started
  started="$(date +%s%N)"
  xdotool type --delay 30 "12345678"
  sleep 1
  screenshot typing
  key Return
  for _ in $(seq 1 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  local took=$((($(date +%s%N) - started) / 1000000))
  kill -0 "$program_pid" 2>/dev/null && fail "the keys had not all been taken after $took ms"
  expect_exit
  # Without the wait for a pause every key rebuilt the preview: about 11 s under Wine.
  ((took <= 5000)) || fail "typing and OK took $took ms"
  expect_setting "$dir/garanarabe.dat" "$(row_line 1 4)" 12345678 "row 1 interval"
}

# Every folder of tests/gui/message_cases/ is a program folder as Jw_cad leaves it for one
# drawing run (its files, the run mode in `mode`, optional VAR=value lines in `env`, optional
# "FILE BYTES" lines in `sizes` that make a file that long, too long to keep in the source tree)
# whose message is checked for the words in `expect`, then shown in its box:
# messages-<case>.png.
case_drawing_run_messages() {
  local case_dir name dir mode box text file bytes
  local -a vars
  for case_dir in "$source_dir"/tests/gui/message_cases/*/; do
    name="$(basename "$case_dir")"
    dir="$out/message-$name"
    mkdir -p "$dir"
    cp -r "$case_dir". "$dir/"
    cp "$exe" "$dir/garanarabe.exe"
    mode="$(tr -d '\r\n' <"$dir/mode")"
    if [[ -f "$dir/sizes" ]]; then
      while read -r file bytes; do truncate -s "$bytes" "$dir/$file"; done <"$dir/sizes"
    fi
    vars=()
    [[ -f "$dir/env" ]] && mapfile -t vars <"$dir/env"
    cp -r "$dir" "$dir.quiet"
    text="$(cd "$dir.quiet" && env "${vars[@]}" GARANARABE_NO_MESSAGE_BOX=1 timeout 60 \
      "$wine_run" --prefix "$prefix" "$dir.quiet/garanarabe.exe" "$mode" 2>&1 >/dev/null |
      iconv -f CP932 -t UTF-8 2>/dev/null)"
    grep -qF "$(cat "$dir/expect")" <<<"$text" ||
      fail "$name: the message lacks '$(cat "$dir/expect")': $text"
    (cd "$dir" && exec env "${vars[@]}" GARANARABE_NO_MESSAGE_BOX=0 timeout 60 \
      "$wine_run" --prefix "$prefix" \
      "$dir/garanarabe.exe" "$mode") >"$dir/wine.log" 2>&1 &
    program_pid=$!
    box="$(wait_for_window '^r864_柄並べ９$')"
    if [[ -z "$box" ]]; then
      fail "$name: no message box"
    else
      sleep 0.5
      screenshot "messages-$name" "$box"
      key Return
    fi
    expect_exit
  done
}

cases=(shows_the_dialog unpacked_release_opens_the_dialog preview_follows_the_selected_row
  preview_of_a_missing_figure
  preview_follows_the_jws_file ok_saves_the_edited_values ok_saves_the_stretch_arrangement
  cancel_saves_nothing close_box_saves_nothing
  button4_clears_the_switches checkbox2_clears_checkbox1 jws_figure_shows_the_converted_size
  real_converter_measures_the_jws_file
  clicks_during_a_conversion_are_ignored no_console_window_during_a_conversion
  browse_gives_the_keyboard_back browse_to_a_file_without_a_figure interval_field_shows_eight_digits
  off_screen_position_comes_back drawing_scale_unit_label details_take_the_selection
  details_cancel_writes_nothing preview_draws_the_stored_alternate typing_is_not_held_up_by_the_preview
  drawing_run_messages)
# GARA_GUI_CASES="name ..." runs only those cases.
[[ -n "${GARA_GUI_CASES:-}" ]] && read -r -a cases <<<"$GARA_GUI_CASES"
for name in "${cases[@]}"; do run_case "$name"; done

echo "screenshots: $out/*.png"
if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
