#!/usr/bin/env bash
# bench/startup.sh [RUNS]
# Start-up to a painted window: "orvanto photo.jpg" under Xvfb, from the
# start of the process until the preview shows the picture (the pixel in the
# middle of the window turns the photo's red), against the time the JPEG
# decode alone takes (djpeg, the libjpeg-turbo the program uses) on the same
# 24-megapixel photo in the same run. Prints the median of each and their
# difference: what the program adds on top of decoding.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/lib.sh"
RUNS=${1:-5}
build="$ROOT/build/bench"
configure_and_build "$build" -DCMAKE_BUILD_TYPE=Release -DORVANTO_TESTS=OFF -DORVANTO_BENCH=OFF -- orvanto >&2
work="$build/startup-work"
mkdir -p "$work"
photo="$work/photo-6000x4000.jpg"
# Red with a little noise, so the encoder has real work and the decoder too.
[ -s "$photo" ] || convert -size 6000x4000 xc:'#d01010' -attenuate 0.2 +noise Uniform -quality 90 "$photo"

measure() {
    export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    local start now id pixel
    start=$(date +%s.%N)
    "$build/bin/orvanto" "$photo" & local pid=$!
    while :; do
        id=$(xdotool search --onlyvisible --name '^Orvanto$' 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then
            # The middle of the window lies on the previewed picture.
            pixel=$(import -silent -window "$id" -gravity center -crop 1x1+0+0 -depth 8 txt:- 2>/dev/null | tail -1 || true)
            case "$pixel" in *"#D"[0-9A-F]"1"*|*"#C"[0-9A-F]"1"*|*"#E"[0-9A-F]"1"*|*"#D"[0-9A-F]"0"*|*"#C"[0-9A-F]"0"*) break;; esac
        fi
        kill -0 "$pid" 2>/dev/null || { echo "orvanto ended early" >&2; return 1; }
        sleep 0.02
    done
    now=$(date +%s.%N)
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo "$now - $start" | bc
}
export -f measure
export build photo work

startup=()
for _ in $(seq "$RUNS"); do startup+=("$(xvfb-run -a -s '-screen 0 1600x1200x24' bash -c measure)"); done
decode=()
for _ in $(seq "$RUNS"); do
    s=$(date +%s.%N); djpeg -outfile /dev/null "$photo"; e=$(date +%s.%N)
    decode+=("$(echo "$e - $s" | bc)")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ms=$(median "${startup[@]}"); md=$(median "${decode[@]}")
printf 'start-up to painted window, 6000x4000 JPEG: %.3f s (median of %d)\n' "$ms" "$RUNS"
printf 'djpeg decode of the same photo:            %.3f s\n' "$md"
printf 'what the program adds:                     %.3f s\n' "$(echo "$ms - $md" | bc)"
