#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times 100 silent-install jobs of the example package in one korva-build run against cp -r of
# the package those jobs make, 100 times, and the same jobs with --jobs 2. Each side runs three
# rounds, taking turns; the best round counts. The target is at most 2 times the time of cp -r.
# Not part of the test run; it prints, and never fails on a slow result.
#
#   bench/job_bench.sh [BUILD_DIR]      (BUILD_DIR defaults to ./build; it must hold bin/korva-build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-build}" && pwd)
program="$build_dir/bin/korva-build"
if [[ ! -x "$program" ]]; then
    echo "missing $program: build the target korva-build first" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/korva-job-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/driver-package" "$work/driver-package"
mkdir "$work/jobs"
for n in $(seq 1 100); do
    sed -e "s/^Output=.*/Output=..\/built\/site-$n/" -e 's/^UserInstall=yes/UserInstall=no/' \
        -e 's/^Source=.*/Source=..\/driver-package/' "$root/examples/silent-and-user.job" \
        > "$work/jobs/site-$n.job"
done
# The jobs sit beside the package, so their relative folders stay inside one tree.
mv "$work/jobs"/*.job "$work/" && rmdir "$work/jobs"
sed -i -e 's/^Output=..\//Output=/' -e 's/^Source=..\//Source=/' "$work"/site-*.job

seconds() {  # command...
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

build_all() { "$program" "$work"/site-*.job; }
build_parallel() { "$program" --jobs 2 "$work"/site-*.job; }
# An older korva-build without --jobs still gets its serial line.
parallel=$("$program" --help 2> /dev/null | grep -c -- --jobs || true)
copy_all() {
    mkdir "$work/copies"
    for n in $(seq 1 100); do cp -r "$work/reference" "$work/copies/site-$n"; done
}

mkdir "$work/built"
build_all > /dev/null
cp -r "$work/built/site-1" "$work/reference"
files=$(find "$work/reference" -type f | wc -l)
echo "package: $files files, $(du -sb "$work/reference" | cut -f1) bytes"

best_build=""
best_parallel=""
best_copy=""
for round in 1 2 3; do
    rm -rf "$work/built" && mkdir "$work/built"
    best_build=$(min "$best_build" "$(seconds build_all)")
    if [[ $parallel != 0 ]]; then
        rm -rf "$work/built" && mkdir "$work/built"
        best_parallel=$(min "$best_parallel" "$(seconds build_parallel)")
    fi
    rm -rf "$work/copies"
    best_copy=$(min "$best_copy" "$(seconds copy_all)")
done
ratio() { awk -v a="$1" -v b="$best_copy" 'BEGIN { printf "%.2f", a / b }'; }
echo "korva-build, 100 jobs:           ${best_build} s, ratio $(ratio "$best_build") to cp -r (target: at most 2)"
if [[ $parallel != 0 ]]; then
    echo "korva-build --jobs 2, 100 jobs:  ${best_parallel} s, ratio $(ratio "$best_parallel")"
fi
echo "cp -r, 100 times:                ${best_copy} s"
