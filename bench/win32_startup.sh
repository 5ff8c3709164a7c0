#!/bin/bash
# SPDX-License-Identifier: MIT
# Start-up of KorvaTool.exe to its shown main window under Wine and a virtual display, against a
# minimal Win32 window program built the same way, side by side in one run (side_by_side.sh);
# then the bare dialog of the main window's template against the same minimal window.
# Usage: bench/win32_startup.sh [build folder] [rounds]   (default build/windows, 15 rounds)
set -euo pipefail
build=$(realpath "${1:-build/windows}")
rounds=${2:-15}
# The program as it ships: stripped, from the zip's folder that scripts/build-windows fills.
shipped=$(ls -d "$build"/dist/KorvaTool-*-win64 2>/dev/null | tail -1 || true)
[ -n "$shipped" ] || { echo "no packed program in $build/dist: run scripts/build-windows" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$rounds"
fi
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -O2 -static -municode -mwindows -o "$work/minimal.exe" \
    "$here/minimal_window.cpp"
x86_64-w64-mingw32-g++-posix -O2 -static -municode -mwindows -I"$build/generated" \
    -I"$here/../src" -o "$work/bare_dialog.exe" "$here/bare_dialog.cpp" -lcomctl32
cp "$shipped/KorvaTool.exe" "$shipped/Tool.bin" "$shipped/Tool.sii" "$work/"
# A persistent server, so that no run pays for starting it or for a first-run prefix update.
wineserver -p 2>/dev/null || true
wine-stable cmd /c exit >/dev/null 2>&1 || true

# Whether a mapped window's title begins with the given text. xdotool where it is installed,
# otherwise xwininfo, which every X installation has.
window_shown() {
    if command -v xdotool >/dev/null; then
        xdotool search --onlyvisible --name "^$1" >/dev/null 2>&1
        return
    fi
    local id
    for id in $(xwininfo -root -tree 2>/dev/null | grep -F "\"$1" | awk '{ print $1 }'); do
        xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && return 0
    done
    return 1
}

# Milliseconds from the start of the process until a window whose title begins with the given
# text is mapped. Hidden windows do not count.
time_to_window() {
    local exe=$1 title=$2 start end pid
    start=$(date +%s%N)
    (cd "$work" && exec wine-stable "$exe") &
    pid=$!
    until window_shown "$title"; do
        sleep 0.005
    done
    end=$(date +%s%N)
    wine-stable taskkill /f /im "$(basename "$exe")" >/dev/null 2>&1 || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

minimal() { time_to_window minimal.exe "Minimal window"; }
tool() { time_to_window KorvaTool.exe "Korva Install Assistant Ver"; }
dialog() { time_to_window bare_dialog.exe "Bare dialog"; }

. "$here/side_by_side.sh"
side_by_side win32_startup "$rounds" 1.5 minimal minimal KorvaTool tool
# Where the time goes: the main window's controls alone, created from its template and shown by
# a program that does nothing else, against the same minimal window.
side_by_side win32_startup_template "$rounds" 1.5 minimal minimal bare_dialog dialog
