#!/usr/bin/env bash
# Installs what the Linux build, the tests and the benchmarks need on Debian 12 (run as root).
# Packages already present are left alone, so a second run costs only a few seconds.
set -euo pipefail
need=()
for pkg in "$@" cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev time clang libclang-rt-14-dev \
    libxml2-utils librsvg2-bin; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
done
if ((${#need[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
