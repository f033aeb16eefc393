#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang 14 and runs each one for SECONDS
# (default 20) on a copy of its seed corpus, so that fuzz/corpus stays as it
# is. The build folder is $FUZZ_BUILD (default build-fuzz, relative to the
# repository). Exits non-zero when any target reports a crash, a leak, a
# timeout or running out of memory; the inputs that did are kept in
# <build folder>/fuzz-findings/<target>/.
#
#   bash fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-20}
build=${FUZZ_BUILD:-build-fuzz}
case $build in
/*) ;;
*) build=$root/$build ;;
esac
targets=(fuzz_settings fuzz_parameterfile fuzz_curve fuzz_numbers fuzz_picture fuzz_pngrecipe fuzz_picturerecipe fuzz_history)

CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DVOLUTRA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=$build/fuzz-findings
failed=()
for target in "${targets[@]}"; do
  corpus=$work/$target/corpus
  artifacts=$work/$target/artifacts
  mkdir -p "$corpus" "$artifacts"
  cp -R "$root/fuzz/corpus/${target#fuzz_}/." "$corpus/"
  echo "== $target: $seconds s"
  if ! "$build/fuzz/$target" -max_len=4096 -timeout=10 -rss_limit_mb=3072 -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$work/$target/log" 2>&1; then
    failed+=("$target")
    mkdir -p "$findings/$target"
    cp -R "$artifacts/." "$findings/$target/"
    tail -n 60 "$work/$target/log"
    echo "== $target FAILED; inputs kept in $findings/$target"
  else
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$target/log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzz targets with findings: ${failed[*]}"
  exit 1
fi
echo "All fuzz targets ran clean."
