#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times one profile lookup in files of 10 MB (bare CR bytes, bare LF bytes, and ordinary INI
# lines with the key at the end) and reports the peak memory of the process against the file
# size. Targets: under 50 ms a lookup, peak memory under three times the file size. Printed,
# not asserted; not part of the test run.
#
#   bench/profile_bench.sh [BUILD_DIR]   (BUILD_DIR defaults to ./build; it must hold
#                                         tests/platform_profile_test)
set -euo pipefail

build_dir=${1:-build}
test_binary="$build_dir/tests/platform_profile_test"
if [[ ! -x "$test_binary" ]]; then
    echo "missing $test_binary: build the target platform_profile_test first" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/korva-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
size=$((10 * 1024 * 1024))

head -c "$size" /dev/zero | tr '\0' '\r' > "$work/cr.sii"
head -c "$size" /dev/zero | tr '\0' '\n' > "$work/lf.sii"
{
    printf '[Setup]\r\n'
    awk -v n=$((size - 64)) 'BEGIN {
        line = "Key=a value of an ordinary length for a catalogue line\r"
        for (done = 0; done < n; done += length(line) + 1) print line }'
    printf 'ProgExe=Tool.exe\r\n'
} > "$work/lines.sii"

for file in cr lf lines; do
    path="$work/$file.sii"
    bytes=$(stat -c %s "$path")
    out=$( { KORVA_BENCH_PROFILE="$path" /usr/bin/time -f 'peak %M KiB' "$test_binary" \
        --gtest_also_run_disabled_tests --gtest_filter='ProfileBench.DISABLED_OneLookup'; } 2>&1)
    lookup=$(grep -o 'lookup: .*' <<<"$out")
    peak_kib=$(grep -o 'peak [0-9]*' <<<"$out" | grep -o '[0-9]*')
    awk -v f="$file" -v l="$lookup" -v p="$peak_kib" -v b="$bytes" 'BEGIN {
        printf "%-6s %s; peak memory %.1f MB = %.2f x the file (%.1f MB)\n",
               f, l, p / 1024, p * 1024 / b, b / 1048576 }'
done
