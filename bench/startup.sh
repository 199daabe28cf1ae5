#!/usr/bin/env bash
# bench/startup.sh [RUNS]
# Start-up to a painted window: "orvanto photo.jpg" under Xvfb, from the
# start of the process until the preview shows the picture (the pixel in the
# middle of the window turns the photo's red), against the time the JPEG
# decode alone takes (djpeg, the libjpeg-turbo the program uses) on the same
# 24-megapixel photo in the same run. Prints the median of each and their
# difference: what the program adds on top of decoding; and the time until
# the whole picture is decoded where a quick reduced copy showed first.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/lib.sh"
RUNS=${1:-5}
build="$ROOT/build/bench"
# ORVANTO=path/to/orvanto measures a program built elsewhere.
if [ -z "${ORVANTO:-}" ]; then
    configure_and_build "$build" -DCMAKE_BUILD_TYPE=Release -DORVANTO_TESTS=OFF -DORVANTO_BENCH=OFF -- orvanto >&2
    ORVANTO="$build/bin/orvanto"
fi
mkdir -p "$build"
work="$build/startup-work"
mkdir -p "$work"
photo="$work/photo-6000x4000.jpg"
# A photo-like picture in shades of red: a fractal, so the file is as large
# as a camera's and the decoder has real work.
[ -s "$photo" ] || convert -size 6000x4000 plasma:red-firebrick -quality 92 "$photo"

measure() {
    export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    # The probe starts the program and looks at the middle of its window
    # every 2 ms with one X request, so the figure is the program's own
    # (a look through ImageMagick's import took about 0.1 s each).
    python3 "$ROOT/bench/startup_probe.py" "$ORVANTO" "$photo"
}
export build photo work ORVANTO
# xvfb-run is a plain sh script, which drops exported functions: the
# measurement runs as this script again.
if [ "${MEASURE:-}" = 1 ]; then measure; exit; fi

startup=(); full=()
for _ in $(seq "$RUNS"); do
    read -r painted whole < <(MEASURE=1 xvfb-run -a -s '-screen 0 1600x1200x24' "$0")
    startup+=("$painted"); full+=("$whole")
done
decode=()
for _ in $(seq "$RUNS"); do
    s=$(date +%s.%N); djpeg -outfile /dev/null "$photo"; e=$(date +%s.%N)
    decode+=("$(echo "$e - $s" | bc)")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ms=$(median "${startup[@]}"); md=$(median "${decode[@]}"); mf=$(median "${full[@]}")
printf 'start-up to painted window, 6000x4000 JPEG: %.3f s (median of %d)\n' "$ms" "$RUNS"
printf 'djpeg decode of the same photo:            %.3f s\n' "$md"
printf 'what the program adds:                     %.3f s\n' "$(echo "$ms - $md" | bc)"
printf 'painted / djpeg:                           %.2f\n' "$(echo "$ms / $md" | bc -l)"
printf 'start-up to the whole picture decoded:     %.3f s\n' "$mf"
