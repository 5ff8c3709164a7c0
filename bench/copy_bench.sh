#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the package copy against cp -r on a synthetic driver package of about 1 GB in 5000 files,
# for a silent install (top files, Font and one language folder) and a full install (everything).
# Each side is timed in three rounds, taking turns; the best round counts. The target is at most
# 1.2 times the time of cp -r. Not part of the test run.
#
#   bench/copy_bench.sh [BUILD_DIR]      (BUILD_DIR defaults to ./build; it must hold
#                                         tests/package_file_copy_test)
set -euo pipefail

build_dir=${1:-build}
test_binary="$build_dir/tests/package_file_copy_test"
if [[ ! -x "$test_binary" ]]; then
    echo "missing $test_binary: build the target package_file_copy_test first" >&2
    exit 1
fi
test_binary=$(cd "$(dirname "$test_binary")" && pwd)/$(basename "$test_binary")

work=$(mktemp -d "${TMPDIR:-/tmp}/korva-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
src="$work/package"
mkdir -p "$src"

# 5000 files of 200 KiB (about 1 GB): 20 at the top, the rest spread over the folders a package
# has, with some nesting as the Drivers tree of a real package has.
make_files() {  # folder count
    mkdir -p "$1"
    head -c $(($2 * 200 * 1024)) /dev/urandom | split -b $((200 * 1024)) -d -a 4 - "$1/file"
}
printf '[FileName]\r\nSiiName=prnsetup.sii\r\n[Languages]\r\nDefault=0x0009\r\nCount=1\r\nkey0=0x0009\r\n' \
    > "$src/setup.ini"
printf '[InitialSettings]\r\nInstallerVersion=V4\r\n' > "$src/prnsetup.sii"
make_files "$src" 22
make_files "$src/English" 600
make_files "$src/Font" 400
make_files "$src/Japanese" 600
make_files "$src/Manual" 400
for d in 1 2 3 4 5 6 7 8; do
    make_files "$src/Drivers/x$d/sub" 372
done
files=$(find "$src" -type f | wc -l)
bytes=$(du -sb "$src" | cut -f1)
echo "source: $files files, $bytes bytes"

seconds() {  # command...
    local start end
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

copy_silent_part() {
    mkdir "$work/cp-silent"
    find "$src" -maxdepth 1 -type f -print0 | xargs -0 cp -t "$work/cp-silent/"
    cp -r "$src/Font" "$src/English" "$work/cp-silent/"
}
cp_run() {  # output-folder command...
    rm -rf "$1"
    sync
    seconds "${@:2}"
    rm -rf "$1"
    sync
}
ours_run() {
    (cd "$work" && TMPDIR="$work" KORVA_BENCH_SOURCE="$src" "$test_binary" \
        --gtest_also_run_disabled_tests --gtest_filter='*DISABLED_BenchCopy' | grep '^BENCH ')
}

# Warm the page cache so both sides read from memory.
cp -r "$src" "$work/warm" && rm -rf "$work/warm"

# Every round deletes what it wrote, and ext4 gets slower at creating files while many inodes
# are freshly deleted: the two sides take turns, and each keeps its best round.
cp_silent="" cp_full="" ours_silent="" ours_full=""
for round in 1 2 3; do
    if ((round % 2 == 1)); then
        ours=$(ours_run)
    fi
    cp_silent=$(min "$cp_silent" "$(cp_run "$work/cp-silent" copy_silent_part)")
    cp_full=$(min "$cp_full" "$(cp_run "$work/cp-full" cp -r "$src" "$work/cp-full")")
    if ((round % 2 == 0)); then
        ours=$(ours_run)
    fi
    ours_silent=$(min "$ours_silent" "$(echo "$ours" | awk '$2 == "silent" {print $3}')")
    ours_full=$(min "$ours_full" "$(echo "$ours" | awk '$2 == "full" {print $3}')")
done

awk -v cs="$cp_silent" -v os="$ours_silent" -v cf="$cp_full" -v of="$ours_full" 'BEGIN {
    printf "%-22s %8.3f s\n", "cp -r, silent part", cs
    printf "%-22s %8.3f s  (%.2f x)\n", "package copy, silent", os, os / cs
    printf "%-22s %8.3f s\n", "cp -r, full", cf
    printf "%-22s %8.3f s  (%.2f x)\n", "package copy, full", of, of / cf
    print "target: at most 1.20 x"
}'
