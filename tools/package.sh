#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package volutra_1.00_amd64.deb from the optimised build
# (the two programs and the window module are all it needs besides the data)
# and fails on any error lintian reports or any dependency apt cannot meet.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build --preset default --target volutra volutra-render
(cd build && cpack -G DEB >/dev/null)
deb=build/volutra_1.00_amd64.deb
[ -f "$deb" ] || { echo "FAIL: $deb was not built" >&2; exit 1; }
lintian --fail-on error "$deb"
# apt can install it: every dependency resolves on this system (a simulation,
# which changes nothing).
apt-get install --simulate "./$deb" >/dev/null
echo "package checked: $deb"
