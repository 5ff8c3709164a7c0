#!/bin/bash
# SPDX-License-Identifier: MIT
# Start-up of KorvaTool.exe to its shown main window under Wine and a virtual display, against a
# minimal Win32 window program built the same way. The two take turns, each leading every other
# round so that neither profits from the other's warm caches, and the medians are compared:
# a single slow start (page cache, a busy core) moves a median little and a mean a lot.
# Usage: bench/win32_startup.sh [build folder] [rounds]   (default build/windows, 15 rounds)
set -euo pipefail
build=$(realpath "${1:-build/windows}")
rounds=${2:-15}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$rounds"
fi
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -O2 -static -municode -mwindows -o "$work/minimal.exe" \
    "$here/minimal_window.cpp"
cp "$build/bin/KorvaTool.exe" "$build/bin/Tool.bin" "$build/bin/Tool.sii" "$work/"
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

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

minimal() { time_to_window minimal.exe "Minimal window"; }
tool() { time_to_window KorvaTool.exe "Korva Install Assistant Ver"; }

minimal >/dev/null
tool >/dev/null
: >"$work/minimal.ms"
: >"$work/tool.ms"
for round in $(seq "$rounds"); do
    if ((round % 2)); then
        t_min=$(minimal)
        t_tool=$(tool)
    else
        t_tool=$(tool)
        t_min=$(minimal)
    fi
    echo "round $round: minimal ${t_min} ms, KorvaTool ${t_tool} ms"
    echo "$t_min" >>"$work/minimal.ms"
    echo "$t_tool" >>"$work/tool.ms"
done
m_min=$(median <"$work/minimal.ms")
m_tool=$(median <"$work/tool.ms")
echo "BENCH win32_startup median of $rounds: minimal ${m_min} ms, KorvaTool ${m_tool} ms," \
    "ratio $(echo "scale=2; $m_tool / $m_min" | bc) (target at most 1.5)"
