#!/bin/bash
# SPDX-License-Identifier: MIT
# Start-up of the Qt program to its shown main window on a virtual display, against a bare Qt
# window program built here the same way (g++ -O2 against the same Qt), side by side in one run
# (side_by_side.sh). A window counts once X reports it viewable; xwininfo (x11-utils) tells, as xdotool may be
# missing. There is no window manager, so the windows are the root's own children.
# Usage: bench/qt_startup.sh [build folder] [rounds]   (default build/release, 15 rounds)
set -euo pipefail
build=$(realpath "${1:-build/release}")
rounds=${2:-15}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$rounds"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Settings of the runs stay in the work folder, never in the user's own configuration.
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
cat >"$work/bare_window.cpp" <<'EOF'
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare window");
    window.resize(980, 540);
    window.show();
    return QApplication::exec();
}
EOF
# shellcheck disable=SC2046
g++ -O2 -fPIC -o "$work/bare_window" "$work/bare_window.cpp" $(pkg-config --cflags --libs Qt6Widgets)
cp "$build/bin/KorvaTool" "$build/bin/Tool.sii" "$work/"
[ -f "$build/bin/Tool.bin" ] && cp "$build/bin/Tool.bin" "$work/"

# True once a window whose title begins with the given text is viewable; a window that exists
# but is not mapped (a dialog created ahead of use) does not count.
window_shown() {
    local id
    for id in $(xwininfo -root -tree 2>/dev/null | awk -v t="\"$1" 'index($0, t) { print $1 }'); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
    done
    return 1
}

# Milliseconds from the start of the process until its window is shown.
time_to_window() {
    local exe=$1 title=$2 start end pid
    start=$(date +%s%N)
    (cd "$work" && exec "./$exe") &
    pid=$!
    until window_shown "$title"; do
        sleep 0.005
    done
    end=$(date +%s%N)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

bare() { time_to_window bare_window "Bare window"; }
tool() { time_to_window KorvaTool "Korva Install Assistant Ver"; }

. "$here/side_by_side.sh"
side_by_side qt_startup "$rounds" 1.3 bare bare KorvaTool tool
