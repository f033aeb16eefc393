#!/usr/bin/env bash
# Installs what is missing, builds the program (only it and the libraries it
# links: the tests and the benchmark are built by tools/test.sh) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset default
cmake --build --preset default --target volutra
exec ./build/volutra "$@"
