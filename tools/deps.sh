#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building Volutra needs, when any of
# them is missing; with the argument "test", also what the sanitizer and
# fuzzing runs of the tests and the checks of the installed tree need.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev libspng-dev libjpeg62-turbo-dev pkg-config fonts-dejavu-core
  libgif-dev libwebp-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev)
if [ "${1:-}" = test ]; then
  packages+=(clang-14 libclang-rt-14-dev librsvg2-bin poppler-utils
    desktop-file-utils appstream libxml2-utils shared-mime-info groff-base
    dpkg-dev lintian ffmpeg)
fi
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi
