#!/bin/sh
# SPDX-License-Identifier: MIT
# Each core folder may include only itself and the folders below it; the front ends sit on top.
# Prints every include that runs upward and fails when there is one.
# Usage: tests/include_layers.sh [source folder]   (default src)
set -eu
src=${1:-src}
layers="platform launcher catalogue dialogs source printers package eraser admin mainform job app cli"
status=0
below=""
for layer in $layers; do
    below="$below $layer"
    for file in "$src/$layer"/*.h "$src/$layer"/*.cpp; do
        [ -e "$file" ] || continue
        for used in $(sed -n 's|^#include "\([a-z0-9_]*\)/.*"|\1|p' "$file" | sort -u); do
            case " $below " in
            *" $used "*) ;;
            *)
                echo "$file includes $used/, a layer above $layer"
                status=1
                ;;
            esac
        done
    done
done
exit $status
