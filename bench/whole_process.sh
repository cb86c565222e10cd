#!/bin/bash
# Whole-process time of the analysis of every benchmark model, as a user
# runs it: the host on a script that loads the model, builds its BDD and the
# ZBDD of its minimal cutsets, computes the exact probability and prints
# every minimal cutset into a file. Prints one tab-separated line per model:
# model, #MCS, probability, seconds (the best of RUNS runs, 5 by default),
# the median of those runs, the peer's seconds from REFERENCE.md and the
# ratio peer / kefo on the best run.
#
# Runs that follow each other at once reuse the memory the previous run
# gave back; an analysis run once after a pause does not. PAUSE=seconds
# waits that long before every run, to time the latter.
#
#   make release && bench/whole_process.sh [model...]
#
# cea9601 is left out unless named: its report of 130 million cutsets
# takes 8.4 GB and most of a minute to write.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
kefo=${KEFO:-$here/build/release/kefo}
runs=${RUNS:-5}
# The variable-ordering heuristic of the BDD build; the engine's default
# (DFLM) unless HEURISTIC names another.
heuristic=${HEURISTIC:-DFLM}
pause=${PAUSE:-0}
work=$(mktemp -d /tmp/kefo-whole-XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/bench/analysis_script.sh"
SelectModels "$@"

printf "model\t#MCS\tprobability\tseconds\tmedian\tpeer\tratio\n"
for m in "${models[@]}"; do
    WriteAnalysisScript "$m"
    best=""
    times=()
    for ((r = 0; r < runs; ++r)); do
        sleep "$pause"
        # Microseconds from bash's own clock, no process spawned around the run.
        start=${EPOCHREALTIME/[.,]/}
        "$kefo" "$work/a.kefo" > /dev/null 2>&1
        end=${EPOCHREALTIME/[.,]/}
        t=$(( end - start ))
        times+=("$t")
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    # The report: variable, source-handle, time, rare-event-approximation,
    # then one line per cutset.
    n=$(( $(grep -c . "$work/c.txt") - 4 ))
    q=$(tail -1 "$work/p.txt" | awk -F'\t' '{print $NF}')
    peer=$(awk -F'|' -v m="$m" '$2 ~ "^ *"m" *$" {gsub(/ /, "", $8); print $8}' "$data/REFERENCE.md")
    seconds=$(awk -v t="$best" 'BEGIN {printf "%.3f", t / 1e6}')
    median=$(printf "%s\n" "${times[@]}" | sort -n | awk '{a[NR] = $1} END {printf "%.3f", (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) / 1e6}')
    # A peer figure written "> N" is a lower bound: so is the ratio.
    ratio=$(awk -v t="$best" -v p="$peer" 'BEGIN {b = ""; if (substr(p, 1, 1) == ">") {b = ">"; p = substr(p, 2)}
                                                  if (p + 0 > 0) printf "%s%.1f", b, p / (t / 1e6); else print "-"}')
    printf "%s\t%s\t%s\t%s\t%s\t%s\t%s\n" "$m" "$n" "$q" "$seconds" "$median" "$peer" "$ratio"
done
