#!/usr/bin/env bash
# Builds the setup program build/setup/hourgauge-setup-<version>.exe with NSIS
# from build/windows/hourgauge.exe, the service build/windows/hourgauge-service.exe
# and the sources in setup/. The version is the one in res/version.h. Prints
# the setup program's path.
#
#   bash scripts/setup.sh [--no-build]    (--no-build: take the exes as they are)
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^#define HG_VERSION_STRING "\(.*\)"$/\1/p' res/version.h)
[ -n "$version" ] || { echo "setup: no HG_VERSION_STRING in res/version.h" >&2; exit 1; }
command -v makensis >/dev/null || { echo "setup: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }

if [ "${1:-}" != "--no-build" ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows
fi
exe=$PWD/build/windows/hourgauge.exe
service_exe=$PWD/build/windows/hourgauge-service.exe
for f in "$exe" "$service_exe"; do
  [ -f "$f" ] || { echo "setup: $f is missing" >&2; exit 1; }
done

mkdir -p build/setup
out=build/setup/hourgauge-setup-$version.exe
log=build/setup/makensis.log
if ! makensis -V2 -WX -INPUTCHARSET UTF8 -DHG_VERSION="$version" -DHG_EXE="$exe" -DHG_SERVICE_EXE="$service_exe" \
  -DHG_ICON="$PWD/res/hourgauge.ico" -DHG_OUTFILE="$PWD/$out" setup/hourgauge-setup.nsi >"$log" 2>&1; then
  cat "$log" >&2
  echo "setup: makensis failed" >&2
  exit 1
fi
echo "$out"
