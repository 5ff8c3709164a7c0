#!/bin/bash
# SPDX-License-Identifier: MIT
# Start-up of KorvaTool.exe to its shown main window under Wine and a virtual display, taken
# turn about with a minimal Win32 window program built the same way, and their ratio.
# Usage: bench/win32_startup.sh [build folder] [runs]   (default /work/build-c, 5 runs)
set -euo pipefail
build=${1:-/work/build-c}
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$runs"
fi
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -O2 -static -municode -mwindows -o "$work/minimal.exe" \
    "$here/minimal_window.cpp"
cp "$build/bin/KorvaTool.exe" "$build/bin/Tool.bin" "$build/bin/Tool.sii" "$work/"
wineserver -p 2>/dev/null || true  # keep the server up so neither program pays for its start
wine-stable cmd /c exit 2>/dev/null || true

# Seconds from start until a window with the title shows on the display.
time_to_window() {
    local exe=$1 title=$2 start end pid
    start=$(date +%s.%N)
    wine-stable "$exe" & pid=$!
    until xwininfo -root -tree 2>/dev/null | grep -F "\"$title" | grep -qv ' 1x1+'; do
        sleep 0.02
    done
    end=$(date +%s.%N)
    wine-stable taskkill /f /im "$(basename "$exe")" >/dev/null 2>&1 || true
    wait $pid 2>/dev/null || true
    echo "$end - $start" | bc
}

total_tool=0 total_min=0
for run in $(seq "$runs"); do
    t_min=$(time_to_window "$work/minimal.exe" "Minimal window")
    t_tool=$(time_to_window "$work/KorvaTool.exe" "Korva Install Assistant")
    echo "run $run: minimal ${t_min}s KorvaTool ${t_tool}s"
    total_min=$(echo "$total_min + $t_min" | bc)
    total_tool=$(echo "$total_tool + $t_tool" | bc)
done
echo "BENCH win32_startup minimal $(echo "scale=3; $total_min / $runs" | bc)s" \
     "KorvaTool $(echo "scale=3; $total_tool / $runs" | bc)s" \
     "ratio $(echo "scale=2; $total_tool / $total_min" | bc) (target within 1.5)"
wineserver -k 2>/dev/null || true
