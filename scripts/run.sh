#!/usr/bin/env bash
# Installs what is missing, builds hourgauge.exe and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
exec bash scripts/run-under-wine.sh "$@"
