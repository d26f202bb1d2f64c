#!/usr/bin/env bash
# Installs what the Windows cross build and its tests under Wine need on Debian 12 (run as root):
# the 32-bit mingw-w64 compiler (posix thread variant), GoogleTest's sources, Wine with its 32-bit
# part, a virtual X display, xdotool and ImageMagick for the dialog tests, a Japanese font and
# the ja_JP.UTF-8 locale (without it Wine runs with code page 1252 instead of 932), zip to make the
# release archive and bsdtar to unpack it with Shift-JIS file names as Windows does.
# Everything already present is left alone, so a second run takes well under a second.
set -euo pipefail

packages=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest wine wine32:i386 fonts-wine
  xvfb xauth xdotool imagemagick fonts-ipafont-gothic locales zip libarchive-tools)

need=()
for pkg in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
done
if ((${#need[@]})); then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
