#!/usr/bin/env bash
# bench/print.sh [RUNS] [QUALITY]   (SIZES="2000x1333" measures one picture size only)
# Unattended printing against the print system's own JPEG printing, on the
# private print server, in one run: "orvanto photo.jpg /AUTOPRINT" and
# "lp -o fit-to-page photo.jpg", each timed from its start until the server
# has written the PDF page (queue empty), for a 6000 x 4000 and a
# 2000 x 1333 JPEG. Medians, their ratio, and orvanto's peak memory
# (maximum resident set) beside the picture's and the page bitmap's bytes.
# QUALITY is the print quality of the stored settings: Low (the default),
# Medium or High.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/lib.sh"
RUNS=${1:-3}
case "${2:-Low}" in
    Low|low|0) quality=0 ;;
    Medium|medium|1) quality=1 ;;
    High|high|2) quality=2 ;;
    *) echo "bench/print.sh: QUALITY is Low, Medium or High" >&2; exit 2 ;;
esac
build="$ROOT/build/bench"
# ORVANTO=path/to/orvanto measures a program built elsewhere.
if [ -z "${ORVANTO:-}" ]; then
    configure_and_build "$build" -DCMAKE_BUILD_TYPE=Release -DORVANTO_TESTS=OFF -DORVANTO_BENCH=OFF -- orvanto >&2
    ORVANTO="$build/bin/orvanto"
fi
mkdir -p "$build"
"$ROOT/scripts/print-server" start >&2
eval "$("$ROOT/scripts/print-server" env)"
work="$build/print-work"
mkdir -p "$work/data/Quendal Enterprises/Settings"
export XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen
# Fit to Page, centred: what lp's fit-to-page does too.
printf '[Settings]\nCopies=1\nScale=2\nPosition=4\nQuality=%d\n' "$quality" > "$XDG_DATA_HOME/Quendal Enterprises/Settings/Orvanto.INI"

queue_empty() {
    for _ in $(seq 6000); do
        [ -z "$(lpstat -o 2>/dev/null)" ] && return 0
        sleep 0.02
    done
    return 1
}
# timed COMMAND...: seconds from the start to the printed page.
timed() {
    local s e
    s=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    queue_empty
    e=$(date +%s.%N)
    echo "$e - $s" | bc
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

printf '%-12s %10s %10s %7s %9s %9s\n' picture orvanto lp ratio "peak MB" "bound MB"
for size in ${SIZES:-6000x4000 2000x1333}; do
    photo="$work/photo-$size.jpg"
    [ -s "$photo" ] || convert -size "$size" plasma:fractal -quality 90 "$photo"
    queue_empty
    ours=(); theirs=()
    for _ in $(seq "$RUNS"); do
        ours+=("$(timed "$ORVANTO" "$photo" /AUTOPRINT)")
        theirs+=("$(timed lp -o fit-to-page "$photo")")
    done
    /usr/bin/time -o "$work/peak" -f '%M' "$ORVANTO" "$photo" /AUTOPRINT >/dev/null 2>&1
    queue_empty
    peak=$(tail -1 "$work/peak")
    w=${size%x*}; h=${size#*x}
    # The picture (3 bytes a pixel) + the largest page bitmap (15,000,000
    # bytes) + 40 MB.
    bound=$(echo "($w * $h * 3 + 15000000) / 1048576 + 40" | bc)
    mo=$(median "${ours[@]}"); ml=$(median "${theirs[@]}")
    printf '%-12s %9.2fs %9.2fs %7.2f %9.1f %9d\n' "$size" "$mo" "$ml" "$(echo "$mo / $ml" | bc -l)" \
        "$(echo "$peak / 1024" | bc -l)" "$bound"
done
