#!/bin/sh
# Fails when the program imports a DLL that Windows does not provide itself, or one of the DLLs
# given as a third argument (a pattern such as 'comdlg32|ole32'), which it must load later.
# Usage: system_dlls_only.sh OBJDUMP PROGRAM.exe [LATE_DLLS]
set -eu
imports=$("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no imports read from $2"; exit 1; }
system='kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|msvcrt|shlwapi|uxtheme|version'
others=$(echo "$imports" | grep -vxE "($system)\.dll|winspool\.drv" || true)
if [ -n "$others" ]; then
    echo "imports DLLs that Windows does not provide: $others"
    exit 1
fi
early=$(echo "$imports" | grep -xE "(${3:-^$})\.(dll|drv)" || true)
if [ -n "$early" ]; then
    echo "imports DLLs that only a later step needs, so they load at start: $early"
    exit 1
fi
echo "imports only system DLLs: $(echo $imports)"
