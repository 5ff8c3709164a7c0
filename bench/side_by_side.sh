# SPDX-License-Identifier: MIT
# Sourced by the start-up benches. Times a program against its reference in one run: the two take
# turns, each leading every other round so that neither profits from the other's warm caches, and
# the medians are compared, since a single slow start moves a median little and a mean a lot.
# Each timing function prints milliseconds.
# Usage: side_by_side BENCH ROUNDS TARGET REFERENCE_NAME REFERENCE_FUNCTION NAME FUNCTION

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

side_by_side() {
    local bench=$1 rounds=$2 target=$3 ref_name=$4 ref=$5 name=$6 run=$7
    local times t_ref t_run round
    times=$(mktemp -d)
    # One start each first, so that neither pays alone for the first start of the session.
    "$ref" >/dev/null
    "$run" >/dev/null
    for round in $(seq "$rounds"); do
        if ((round % 2)); then
            t_ref=$("$ref")
            t_run=$("$run")
        else
            t_run=$("$run")
            t_ref=$("$ref")
        fi
        echo "round $round: $ref_name ${t_ref} ms, $name ${t_run} ms"
        echo "$t_ref" >>"$times/ref"
        echo "$t_run" >>"$times/run"
    done
    t_ref=$(median <"$times/ref")
    t_run=$(median <"$times/run")
    rm -rf "$times"
    echo "BENCH $bench median of $rounds: $ref_name ${t_ref} ms, $name ${t_run} ms," \
        "ratio $(echo "scale=2; $t_run / $t_ref" | bc) (target at most $target)"
}
