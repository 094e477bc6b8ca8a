#!/usr/bin/env bash
# Builds hourgauge.exe and runs it under Wine until Ctrl-C.
#
#   bash scripts/run-under-wine.sh
#
# The program lives in its own Wine prefix, kept between runs:
# $HG_WINEPREFIX, or ~/.local/share/hourgauge-wine. It is installed there as
# C:\Program Files (x86)\HourgaugeLite\hourgauge.exe and started with the
# Japanese locale, in a Wine desktop; on an own Xvfb when $DISPLAY is unset
# (the script prints how to take a screenshot of it). Ctrl-C, or the program
# ending, stops every Wine process of the prefix and that Xvfb.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

echo "run: building hourgauge.exe"
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
exe=$root/build/windows/hourgauge.exe

hg_wine_ready

prefix=${HG_WINEPREFIX:-$HOME/.local/share/hourgauge-wine}
started_xvfb=0

cleanup() {
  trap - EXIT INT TERM
  echo "run: stopping"
  hg_wine_stop || true
  [ "$started_xvfb" = 1 ] && hg_xvfb_stop
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  hg_xvfb_start
  started_xvfb=1
  echo "run: Xvfb on $DISPLAY (pid $HG_XVFB_PID)"
fi

# A new prefix is booted once and marked; later runs reuse it with its
# registry, as a PC keeps its state between starts of the program.
if [ ! -f "$prefix/.hourgauge-prefix" ]; then
  echo "run: preparing the Wine prefix $prefix (about 20 s)"
  hg_prefix_init "$prefix"
  touch "$prefix/.hourgauge-prefix"
fi
hg_use_prefix "$prefix"

install_dir="$prefix/drive_c/Program Files (x86)/HourgaugeLite"
mkdir -p "$install_dir"
cp "$exe" "$install_dir/hourgauge.exe"

log=$prefix/hourgauge.log
hg_wine_bg "$log" "$install_dir/hourgauge.exe"
echo "run: hourgauge.exe started (pid $HG_BG_PID, prefix $prefix)"
if [ "$started_xvfb" = 1 ]; then
  echo "run: screenshot: import -window root -display $DISPLAY shot.png"
fi
echo "run: Ctrl-C stops it"
status=0
wait "$HG_BG_PID" || status=$?
echo "run: hourgauge.exe ended (status $status)"
