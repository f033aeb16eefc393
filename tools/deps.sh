#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Volutra need,
# when any of them is missing.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev fonts-dejavu-core)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi
