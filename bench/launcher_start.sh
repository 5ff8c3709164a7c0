#!/bin/bash
# SPDX-License-Identifier: MIT
# Time from the native launcher's start to the start of the installer it launches, under Wine,
# beside the fixed 10 seconds the runas launcher script pauses before the installer can run. The
# launcher is its test build (Wine cannot log on; the start is otherwise the same), the installer
# the stand-in setup.exe of the tests. Prints only; never fails on a slow result.
# Usage: bench/launcher_start.sh [Windows build folder] [rounds]   (default build/windows, 5)
set -euo pipefail
build=$(realpath "${1:-build/windows}")
rounds=${2:-5}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$build/tests/launcher/recordingLaunch.exe" "$work/setupLaunch.exe"
cp "$build/tests/launcher/stub_setup.exe" "$work/setup.exe"
# An empty password: 32 hex digits of nonce and nothing after the colon.
printf '[Launcher]\r\nProgram=setup.exe\r\nSha256=%s\r\nAccount=Administrator\r\nDomain=PC\r\nPassword=%s:\r\nWaitProcess=\r\n' \
    "$(sha256sum "$work/setup.exe" | cut -d' ' -f1)" 00000000000000000000000000000000 \
    >"$work/setupLaunch.ini"
wineserver -p 2>/dev/null || true
wine-stable cmd /c exit >/dev/null 2>&1 || true
export KORVA_STUB_MS=0 KORVA_STUB_CHILD_MS=0
times=()
for ((round = 0; round < rounds; ++round)); do
    record="$work/stub-$round.txt"
    export KORVA_STUB_RECORD="Z:${record//\//\\}"
    start=$(date +%s%N)
    (cd "$work" && wine-stable setupLaunch.exe /quiet) &
    until [ -s "$record" ]; do sleep 0.002; done
    end=$(date +%s%N)
    wait
    times+=($(((end - start) / 1000000)))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((rounds + 1) / 2))p")
echo "launcher start to installer start: median ${median} ms over ${rounds} runs (${times[*]})"
echo "runas launcher script (setupUAC.vbe): 10000 ms of fixed pauses before it goes on"
