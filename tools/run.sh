#!/usr/bin/env bash
# Installs what is missing, builds Volutra and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset default
cmake --build --preset default
exec ./build/volutra "$@"
