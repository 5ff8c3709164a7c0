#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times every profile entry point on files of 10 MB: bare CR bytes, bare LF bytes, CP932 lead
# bytes (0x81 repeated, read in CP932) and ordinary INI lines in many sections with the looked-up
# key at the end. Each entry point runs in a process of its own (bench/profile_bench.cpp, built
# here against the build's platform library) that reports its time and the process's peak memory.
# Targets: under 50 ms each, peak memory under three times the file size. The two floor_ rows
# are the least any entry point by path pays on this machine (the file read, and written once),
# so a busy machine shows as slow floors. Printed, not asserted; not part of the test run.
#
#   bench/profile_bench.sh [BUILD_DIR]   (BUILD_DIR defaults to ./build; it must hold
#                                         src/libkorva_platform.a)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-build}
library="$build_dir/src/libkorva_platform.a"
if [[ ! -f "$library" ]]; then
    echo "missing $library: build the target korva_platform first" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/korva-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
program="$work/profile_bench"
g++ -std=c++20 -O2 -I"$root/src" -o "$program" "$root/bench/profile_bench.cpp" "$library"

size=$((10 * 1024 * 1024))
head -c "$size" /dev/zero | tr '\0' '\r' > "$work/cr.sii"
head -c "$size" /dev/zero | tr '\0' '\n' > "$work/lf.sii"
head -c "$size" /dev/zero | tr '\0' '\201' > "$work/cp932.sii"
# Sections of twenty keys, as a catalogue or a setup.ini of many printers has them.
awk -v n=$((size - 64)) 'BEGIN {
    for (done = 0; done < n; ) {
        line = (keys++ % 20 == 0) ? sprintf("[Printer%d]", ++sections) \
                                  : sprintf("Key%d=a value of an ordinary length for a line", keys)
        printf "%s\r\n", line
        done += length(line) + 2
    }
    printf "[Setup]\r\nProgExe=Tool.exe\r\n" }' > "$work/lines.sii"

entries=(floor_read floor_read_write get_string get_string_1mb get_string_all get_string_bytes_1mb
    outline_bytes write_string write_string_bytes write_section write_section_bytes quoted_if_needed)
rounds=3
printf '%-6s %-21s %10s %10s %8s   (best of %d runs, highest peak)\n' file "entry point" time peak \
    "x file" "$rounds"
for file in cr lf cp932 lines; do
    codepage=CP1252
    [[ $file == cp932 ]] && codepage=CP932
    bytes=$(stat -c %s "$work/$file.sii")
    for entry in "${entries[@]}"; do
        for ((round = 0; round < rounds; round++)); do
            # A fresh copy each time: the path forms of the writes replace the file.
            cp "$work/$file.sii" "$work/run.sii"
            "$program" "$work/run.sii" "$codepage" "$entry"
        done | awk -v f="$file" -v e="$entry" -v b="$bytes" '
            { if (NR == 1 || $1 < ms) ms = $1; if ($3 > kib) kib = $3 }
            END { printf "%-6s %-21s %7.1f ms %7.1f MB %7.2f x\n", f, e, ms, kib / 1024,
                         kib * 1024 / b }'
    done
done
