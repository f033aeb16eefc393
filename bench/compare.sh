#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Volutra's headless renders side by side with gnuplot 5.4 (pngcairo, "with
# dots"), which draws the same figure on the same canvas from the same points,
# written by Volutra's own formula. The smooth 8K PNG is compared with
# pngcairo's anti-aliased dots, the SVG and PDF drawings with gnuplot's svg
# and pdfcairo terminals drawing the same points. Every case runs both programs in turn,
# PAIRS times (fewer for the slow cases), and prints the medians, the median of
# the ratios of each pair and the goal. A case that Volutra cannot run prints
# "n/a" and the rest go on.
#
#   bench/compare.sh            (BUILD=folder to use another build, PAIRS=n)
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
pairs=${PAIRS:-11}
slowPairs=$(((pairs + 1) / 2))

if ! command -v gnuplot >/dev/null; then
    echo "installing gnuplot-nox" >&2
    apt-get install -y -q gnuplot-nox >/dev/null || { echo "gnuplot is missing" >&2; exit 1; }
fi
if [ ! -x /usr/bin/time ]; then
    apt-get install -y -q time >/dev/null || { echo "/usr/bin/time is missing" >&2; exit 1; }
fi
cmake --build "$build" -j2 --target volutra volutra-render volutra_bench volutra_points >/dev/null ||
    { echo "cannot build in $build" >&2; exit 1; }

render="$build/volutra-render"
[ -x "$render" ] || render="$build/volutra"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# The figure: amplitude 0.6, frequency 7, yellow on navy.
printf '0.6\r\n7\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n 65535\r\n 8388608\r\n' >flower.par
cat >dots.gp <<'EOF'
set terminal pngcairo size W,H background "#000080"
set output OUT
unset border; unset tics; unset key
set lmargin at screen 0; set rmargin at screen 1; set tmargin at screen 1; set bmargin at screen 0
set xrange [0:W]; set yrange [H:0]
plot PTS with dots lc rgb "#ffff00"
EOF
# The same plot on the vector terminals: an A4 page for the PDF.
sed -e 's/^set terminal pngcairo size W,H background "#000080"/set terminal svg size W,H background "#000080"/' \
    dots.gp >svg.gp
sed -e 's/^set terminal pngcairo size W,H background "#000080"/set terminal pdfcairo size 29.7cm,21cm background "#000080"/' \
    dots.gp >pdf.gp
"$build/bench/volutra_points" 0.6/7 586 466 1 small.txt >/dev/null
"$build/bench/volutra_points" 0.6/7 7680 4320 1 8k.txt >/dev/null
"$build/bench/volutra_points" 0.6/7 586 466 16 million.txt >/dev/null

# Runs the command quietly; `took` receives its wall time in seconds. Fails
# as the command does.
took=0
timed() {
    local start=$EPOCHREALTIME status
    "$@" >/dev/null 2>"$work/err"
    status=$?
    took=$(echo "$EPOCHREALTIME - $start" | bc -l)
    return $status
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The peak resident memory of the command in MiB, from /usr/bin/time.
peakMiB() {
    /usr/bin/time -v "$@" 2>"$work/time" >/dev/null || return 1
    awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$work/time"
}

# gnuplotDots W H POINTS [SCRIPT OUT]
gnuplotDots() { gnuplot -e "W=$1;H=$2;OUT='${5:-g.png}';PTS='$3'" "${4:-dots.gp}"; }

line() { printf '%-30s %10s %10s %9s   %-10s %s\n' "$@"; }
verdict() { awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g ? "met" : "not met") }'; }

# pair NAME GOAL RUNS GNUPLOT-ARGS -- VOLUTRA-ARGS...
pair() {
    local name=$1 goal=$2 runs=$3 gnuplotArgs=$4
    shift 5
    local v=() g=() r=() i
    for ((i = 0; i < runs; ++i)); do
        # Both programs write a new picture each time, as a user's render does.
        rm -f ./*.bmp ./*.png ./*.svg ./*.pdf
        if ! timed $render "$@"; then
            line "$name" "n/a" "" "" "<= ${goal}x" "($(head -c 70 "$work/err" | head -n 1))"
            return
        fi
        v+=("$took")
        timed gnuplotDots $gnuplotArgs || { line "$name" "" "n/a" "" "" "(gnuplot failed)"; return; }
        g+=("$took")
        r+=("$(echo "${v[-1]} / ${g[-1]}" | bc -l)")
    done
    local ratio
    ratio=$(median "${r[@]}")
    line "$name" "$(printf '%.3f s' "$(median "${v[@]}")")" "$(printf '%.3f s' "$(median "${g[@]}")")" \
        "$(printf '%.3fx' "$ratio")" "<= ${goal}x" "$(verdict "$ratio" "$goal")"
}

echo "Volutra ($render) against $(gnuplot --version), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
line "case" "Volutra" "gnuplot" "ratio" "goal" ""
pair "default render 586x466" 0.05 "$pairs" "586 466 small.txt" -- --render flower.par --output d.bmp
# The same through the window program, for its start-up.
render="$build/volutra" pair "  the same by volutra --render" 0.05 "$pairs" "586 466 small.txt" -- \
    --render flower.par --output d.bmp
pair "8K BMP" 0.25 "$slowPairs" "7680 4320 8k.txt" -- \
    --render flower.par --output 8k.bmp --size 7680x4320
pair "8K PNG" 0.4 "$slowPairs" "7680 4320 8k.txt" -- \
    --render flower.par --output 8k.png --size 7680x4320
pair "8K smooth PNG" 0.3 "$slowPairs" "7680 4320 8k.txt" -- \
    --render flower.par --output 8ks.png --size 7680x4320 --smooth
pair "SVG 586x466" 0.1 "$pairs" "586 466 small.txt svg.gp g.svg" -- --render flower.par --output d.svg
pair "PDF A4" 0.1 "$pairs" "586 466 small.txt pdf.gp g.pdf" -- --render flower.par --output d.pdf
pair "--turns 16 (1,005,313 points)" 0.01 "$slowPairs" "586 466 million.txt" -- \
    --render flower.par --output m.bmp --turns 16

for format in bmp png; do
    if peak=$(peakMiB $render --render flower.par --output "8k.$format" --size 7680x4320); then
        line "8K peak RSS, ${format^^}" "$peak MiB" \
            "$(peakMiB gnuplot -e "W=7680;H=4320;OUT='g.png';PTS='8k.txt'" dots.gp) MiB" "" \
            "<= 210 MiB" "$(verdict "$peak" 210)"
    else
        line "8K peak RSS, ${format^^}" "n/a" "" "" "<= 210 MiB"
    fi
done

if one=$(peakMiB $render --render flower.par --output t.bmp --turns 1) &&
    hundred=$(peakMiB $render --render flower.par --output t.bmp --turns 100); then
    ratio=$(echo "$hundred / $one" | bc -l)
    line "peak RSS 100 turns / 1 turn" "$hundred MiB" "" "$(printf '%.3fx' "$ratio")" "<= 1.2x" \
        "$(verdict "$ratio" 1.2)"
else
    line "peak RSS 100 turns / 1 turn" "n/a" "" "" "<= 1.2x" "($(head -n 1 "$work/time" | head -c 70))"
fi

# The formula against the bare loop of its vector sines and cosines.
"$build/bench/volutra_bench" formula 2>/dev/null | awk '
    /points$/ { figure = $0 }
    /a\/bare/ { ratio = $NF; printf "%-30s %10s %10s %8.3fx   %-10s %s\n", "formula / bare vector loop", "", "",
                ratio, "<= 1.35x", (ratio <= 1.35 ? "met" : "not met") " (" figure ")" }'
