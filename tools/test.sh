#!/usr/bin/env bash
# Installs what is missing, builds Volutra and runs every test headless:
# the optimised build, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh test

cmake --preset default
cmake --build --preset default
ctest --preset default

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

bash fuzz/run.sh "${VOLUTRA_FUZZ_SECONDS:-10}"
