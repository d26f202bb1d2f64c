#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it: a private 32-bit prefix, the
# Japanese locale (ANSI code page 932), no debug chatter, no Mono/Gecko installer.
#   wine-run.sh [--prefix DIR] program.exe [arguments...]
# The prefix defaults to $WINEPREFIX, else build/windows/wineprefix of this source tree. It is
# created on first use (a few seconds); later starts cost a fraction of a second.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
prefix="${WINEPREFIX:-$here/../build/windows/wineprefix}"
if [[ "${1:-}" == --prefix ]]; then
  prefix="$2"
  shift 2
fi
mkdir -p "$prefix"
export WINEPREFIX="$(cd "$prefix" && pwd)"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# A refusal's message goes to standard error instead of a box that nobody would close; a caller
# may set it to something else to see the box.
export GARANARABE_NO_MESSAGE_BOX="${GARANARABE_NO_MESSAGE_BOX-1}"

if [[ ! -e "$WINEPREFIX/.gara-ready" ]]; then
  # Tests run in parallel: only one of them creates the prefix.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [[ ! -e "$WINEPREFIX/.gara-ready" ]]; then
    DISPLAY= timeout 300 wineboot -i >/dev/null 2>&1
    # Without a window manager Wine otherwise stalls two seconds on every hidden or closed window.
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Caption buttons need the Marlett font, or they show letters.
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    if [[ -f /usr/share/wine/fonts/marlett.ttf ]]; then
      cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
    fi
    # Let the server write the registry to disk before anyone relies on it.
    timeout 60 wineserver -w || true
    touch "$WINEPREFIX/.gara-ready"
  fi
  exec 9>&-
fi

# Keep the Wine server up between the many short runs of a test session: a fresh server pays
# over a second for every start. It ends by itself 15 seconds after the last program.
wineserver -p15 >/dev/null 2>&1 || true
exec wine "$@"
