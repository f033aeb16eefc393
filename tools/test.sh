#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Volutra and runs every test headless:
# the optimised build, a short run of every fuzz target, and the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer, with the Debian
# package built and checked in between.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh test

cmake --preset default
cmake --build --preset default
ctest --preset default

# The Debian package, built from the optimised build and checked by lintian.
bash tools/package.sh

bash fuzz/run.sh "${VOLUTRA_FUZZ_SECONDS:-10}"

cmake --preset asan
cmake --build --preset asan
ctest --preset asan
