#!/usr/bin/env bash
# Installs what is missing, builds Volutra and runs every test headless:
# the optimised build, a short run of every fuzz target, and the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh test

cmake --preset default
cmake --build --preset default
ctest --preset default

bash fuzz/run.sh "${VOLUTRA_FUZZ_SECONDS:-10}"

cmake --preset asan
cmake --build --preset asan
ctest --preset asan
