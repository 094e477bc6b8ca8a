#!/usr/bin/env bash
# Builds dist/hourgauge-<version>.zip: hourgauge.exe, the service
# hourgauge-service.exe, the setup program hourgauge-setup-<version>.exe
# (scripts/setup.sh), the parent's guides with their pictures, and
# SHA256SUMS. The version is the one in res/version.h, which the exes'
# version blocks carry too.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^#define HG_VERSION_STRING "\(.*\)"$/\1/p' res/version.h)
[ -n "$version" ] || { echo "package: no HG_VERSION_STRING in res/version.h" >&2; exit 1; }

if [ "${1:-}" != "--no-build" ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows
fi

setup=$(bash scripts/setup.sh --no-build)

name=hourgauge-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/docs/img/en"
cp build/windows/hourgauge.exe build/windows/hourgauge-service.exe "$setup" "$stage/$name/"
cp docs/guide.ja.md docs/guide.en.md "$stage/$name/docs/"
cp docs/img/*.png "$stage/$name/docs/img/" 2>/dev/null || true
cp docs/img/en/*.png "$stage/$name/docs/img/en/" 2>/dev/null || true
(cd "$stage/$name" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
   xargs sha256sum > SHA256SUMS)

mkdir -p dist
rm -f "dist/$name.zip"
# Stored with fixed times and order, so the same inputs give the same zip.
python3 - "$stage" "$name" "dist/$name.zip" <<'PY'
import os, sys, zipfile
stage, name, out = sys.argv[1:]
root = os.path.join(stage, name)
files = sorted(os.path.relpath(os.path.join(d, f), stage)
               for d, _, fs in os.walk(root) for f in fs)
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for rel in files:
        info = zipfile.ZipInfo(rel, date_time=(2024, 1, 1, 0, 0, 0))
        info.external_attr = 0o644 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(stage, rel), "rb") as f:
            z.writestr(info, f.read())
PY
echo "dist/$name.zip"
