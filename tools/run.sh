#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the two programs (only they, the libraries
# they link and the modules they load, so that `cmake --install build` works
# next; the tests and the benchmark are built by tools/test.sh) and starts the
# window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset default
cmake --build --preset default --target volutra volutra-render
exec ./build/volutra "$@"
