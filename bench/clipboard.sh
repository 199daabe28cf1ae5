#!/usr/bin/env bash
# bench/clipboard.sh PICTURE.jpg [PROGRAM]
# Copy in one window, paste in another, under Xvfb: the seconds from the
# paste key until the second window shows the picture (a red photo, such as
# the one bench/startup.sh makes), and each process's peak memory.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
picture=$1
program=${2:-$ROOT/build/bench/bin/orvanto}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# openbox gives the windows focus, so the keys reach them.
xvfb-run -a -s '-screen 0 1600x1200x24' bash -c \
    'openbox & sleep 1; python3 "$0" "$1" "$2"' "$ROOT/bench/clipboard_probe.py" "$program" "$picture"
