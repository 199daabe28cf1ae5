#!/usr/bin/env bash
# bench/print.sh [RUNS]
# Unattended printing against the print system's own image printing, in one
# run on the private print server: "orvanto photo.jpg /AUTOPRINT" and
# "lp -o fit-to-page photo.jpg" to the same queue, for a 6000 x 4000 (24 MP)
# and a 2000 x 1333 (2.7 MP) JPEG, at the Low and the High print quality, on
# both queues: the PostScript queue (cups-pdf) and the driverless queue (a
# simulated IPP Everywhere printer). Each is timed from its start until the
# printer itself is done: the PDF written on the PostScript queue, the
# printer's print engine run on the driverless one.
#
# Per row: medians of orvanto and lp, orvanto's lead over lp (negative: it is
# quicker), orvanto's peak memory (maximum resident set) beside the bound of
# the picture's and the largest page bitmap's bytes; then, from the server's
# log, where orvanto's and lp's time went (medians):
#   program  the command itself (orvanto draws and sends the page; lp only
#            hands the file over)
#   filters  the print system's conversions, first started to last ended
#            (none for a raster the printer takes as it is)
#   backend  the rest, until the printer had the whole document (on the
#            PostScript queue the backend is the printer: until it wrote the PDF)
#   printer  the printer, until it was done
#   told     after that, until the print system reported the job ended
#
# SIZES, QUEUES and QUALITIES narrow the run down, e.g. SIZES=2000x1333
# QUEUES=Orvanto_Driverless QUALITIES=Low. The server is restarted with
# debug logging (its log gives the table); run no tests on it meanwhile.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/lib.sh"
RUNS=${1:-3}
build="$ROOT/build/bench"
# ORVANTO=path/to/orvanto measures a program built elsewhere.
if [ -z "${ORVANTO:-}" ]; then
    configure_and_build "$build" -DCMAKE_BUILD_TYPE=Release -DORVANTO_TESTS=OFF -DORVANTO_BENCH=OFF -- orvanto >&2
    ORVANTO="$build/bin/orvanto"
fi
mkdir -p "$build"
"$ROOT/scripts/print-server" stop >/dev/null 2>&1 || true
ORVANTO_PRINT_LOG_LEVEL=debug "$ROOT/scripts/print-server" start >&2
eval "$("$ROOT/scripts/print-server" env)"
log="$(dirname "$CUPS_SERVER")/../logs/error_log"
# Job numbers start again with each server: only this run's lines count.
: >"$log"
work="$build/print-work"
settings="$work/data/Quendal Enterprises/Settings/Orvanto.INI"
mkdir -p "$(dirname "$settings")"
export XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen

queue_empty() {
    for _ in $(seq 6000); do
        [ -z "$(lpstat -o 2>/dev/null)" ] && return 0
        sleep 0.02
    done
    return 1
}
# The newest job number on the server.
last_job() { sed -n 's/.*\[Job \([0-9]*\)\] Queued on .*/\1/p' "$log" | tail -1; }

# Seconds since 1970 of the log lines of a job that match a pattern, one a
# line ("D [07/Dec/2026:23:15:01.123456 +0000] [Job 7] ...").
stamps() {
    grep -F "[Job $1] " "$log" | grep -E "$2" | TZ=UTC awk '{
        split(substr($2, 2), t, /[\/:]/)
        m = index("JanFebMarAprMayJunJulAugSepOctNovDec", t[2]); m = (m + 2) / 3
        s = t[6]; sub(/\..*/, "", s); f = t[6]; sub(/^[0-9]*/, "", f)
        printf "%.6f\n", mktime(t[3] " " m " " t[1] " " t[4] " " t[5] " " s) + f
    }'
}

# timed QUEUE COMMAND...: runs it, waits for the printer and prints
# "total program filters backend printer told" in seconds.
timed() {
    local queue=$1; shift
    local s e done before
    before=$(last_job)
    s=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    e=$(date +%s.%N)
    local job
    for _ in $(seq 500); do
        job=$(last_job)
        [ "$job" != "$before" ] && break
        sleep 0.01
    done
    queue_empty
    local first last_filter backend_end completed
    first=$(stamps "$job" 'Started (filter|backend)' | head -1)
    last_filter=$(stamps "$job" 'PID [0-9]+ \(.*/filter/.*\) exited' | tail -1)
    backend_end=$(stamps "$job" 'PID [0-9]+ \(.*/backend/.*\) exited' | tail -1)
    completed=$(stamps "$job" 'Job completed' | tail -1)
    local filters=0 filters_end=$e
    if [ -n "$last_filter" ]; then
        filters=$(echo "$last_filter - $first" | bc)
        filters_end=$last_filter
    fi
    # The printer's print engine starts once the whole document is in (see
    # scripts/print-server); on the PostScript queue the backend writes the
    # PDF and is done when it ends.
    local received
    if [ "$queue" = "$ORVANTO_DRIVERLESS_PRINTER" ]; then
        local stamp
        # The printer numbers its jobs itself: its newest is this one.
        stamp=$(ls -t "$ORVANTO_RASTER_DIR"/*.printed 2>/dev/null | head -1)
        done=$(cat "$stamp")
        received=$(cat "${stamp%.printed}.received")
    else
        done=$backend_end
        received=$backend_end
    fi
    local sum out=()
    for sum in "$done - $s" "$e - $s" "$filters" "$received - $filters_end" "$done - $received" "$completed - $done"; do
        out+=("$(echo "$sum" | bc)")
    done
    echo "${out[*]}"
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# column N of the lines given
column() { local n=$1; shift; printf '%s\n' "$@" | awk -v n="$n" '{print $n}'; }

printf '%-18s %-7s %-10s %9s %9s %8s %8s %8s\n' queue quality picture orvanto lp lead "peak MB" "bound MB"
breakdown=()
for queue in ${QUEUES:-Orvanto_PDF Orvanto_Driverless}; do
    for quality in ${QUALITIES:-Low High}; do
        case $quality in Low) q=0 ;; Medium) q=1 ;; *) q=2 ;; esac
        printf '[Settings]\nCopies=1\nScale=2\nPosition=4\nQuality=%d\n' "$q" >"$settings"
        for size in ${SIZES:-6000x4000 2000x1333}; do
            photo="$work/photo-$size.jpg"
            [ -s "$photo" ] || convert -size "$size" plasma:fractal -quality 90 "$photo"
            queue_empty
            ours=(); theirs=()
            for _ in $(seq "$RUNS"); do
                ours+=("$(timed "$queue" env LPDEST="$queue" "$ORVANTO" "$photo" /AUTOPRINT)")
                theirs+=("$(timed "$queue" lp -d "$queue" -o fit-to-page "$photo")")
            done
            LPDEST="$queue" /usr/bin/time -o "$work/peak" -f '%M' "$ORVANTO" "$photo" /AUTOPRINT >/dev/null 2>&1
            queue_empty
            peak=$(tail -1 "$work/peak")
            w=${size%x*}; h=${size#*x}
            # The picture (3 bytes a pixel) + the largest page bitmap
            # (15,000,000 bytes) + 40 MB.
            bound=$(echo "($w * $h * 3 + 15000000) / 1048576 + 40" | bc)
            mo=$(median $(column 1 "${ours[@]}")); ml=$(median $(column 1 "${theirs[@]}"))
            printf '%-18s %-7s %-10s %8.2fs %8.2fs %+7.2fs %8.1f %8d\n' "$queue" "$quality" "$size" "$mo" "$ml" \
                "$(echo "$mo - $ml" | bc)" "$(echo "$peak / 1024" | bc -l)" "$bound"
            for who in orvanto lp; do
                if [ $who = orvanto ]; then rows=("${ours[@]}"); else rows=("${theirs[@]}"); fi
                line=$(printf '%-18s %-7s %-10s %-8s' "$queue" "$quality" "$size" "$who")
                for n in 2 3 4 5 6; do
                    line+=$(printf ' %8.2f' "$(median $(column "$n" "${rows[@]}"))")
                done
                breakdown+=("$line")
            done
        done
    done
done
echo
echo "Where the time went (seconds, medians)"
printf '%-18s %-7s %-10s %-8s %8s %8s %8s %8s %8s\n' queue quality picture command program filters backend printer told
printf '%s\n' "${breakdown[@]}"
"$ROOT/scripts/print-server" stop >/dev/null
"$ROOT/scripts/print-server" start >/dev/null
