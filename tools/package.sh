#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package volutra_1.00_amd64.deb from the optimised build
# (the two programs are all it needs besides the data) and fails on any
# error lintian reports.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build --preset default --target volutra volutra-render
(cd build && cpack -G DEB >/dev/null)
deb=build/volutra_1.00_amd64.deb
[ -f "$deb" ] || { echo "FAIL: $deb was not built" >&2; exit 1; }
lintian --fail-on error "$deb"
echo "package checked: $deb"
