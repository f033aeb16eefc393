#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders every figure in examples/ through "volutra --render", fitted to its
# picture, and puts them on one contact sheet, docs/gallery.png (needs
# ImageMagick's montage).
#
#   bash tools/gallery.sh [PATH/TO/volutra]
set -euo pipefail
cd "$(dirname "$0")/.."
volutra=${1:-build/volutra}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for figure in examples/*.par; do
  name=$(basename "$figure" .par)
  "$volutra" --render "$figure" --size 440x350 --fit --output "$work/$name.png"
done
mkdir -p docs
montage -label '%t' -font DejaVu-Sans -pointsize 14 -fill '#dddddd' -background '#202020' \
  -geometry 293x233+6+6 -tile 4x "$work"/*.png -depth 8 -colors 256 docs/gallery.png
echo "docs/gallery.png: $(ls "$work"/*.png | wc -l) figures"
