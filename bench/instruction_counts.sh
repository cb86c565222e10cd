#!/bin/bash
# Instruction and data-cache miss counts of the whole analysis of benchmark
# models, under valgrind's cachegrind: the same script as whole_process.sh
# (load the model, build its BDD and the ZBDD of its minimal cutsets,
# compute the exact probability, print every minimal cutset). Prints one
# tab-separated line per model: model, instructions, first-level data
# misses, last-level data misses, and a checksum of the cutset report.
#
# Wall times on a shared machine move by a third from run to run; these
# counts are the same at every run, so a change whose gain is a few per
# cent can be told from the noise by comparing two builds' counts (KEFO
# names the host to run). Misses are those of cachegrind's model of the
# caches, not the machine's: a change that hides a miss behind another
# (a prefetch, an order of calls) shows in wall times only.
#
#   make release && bench/instruction_counts.sh [model...]
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
kefo=${KEFO:-$here/build/release/kefo}
heuristic=${HEURISTIC:-DFLM}
if ! command -v valgrind > /dev/null; then
    echo "valgrind is needed" >&2
    exit 2
fi
work=$(mktemp -d /tmp/kefo-counts-XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/bench/analysis_script.sh"
SelectModels "$@"

printf "model\tinstructions\tD1 misses\tLL misses\treport\n"
for m in "${models[@]}"; do
    WriteAnalysisScript "$m"
    summary=$(valgrind --tool=cachegrind --cache-sim=yes --cachegrind-out-file=/dev/null "$kefo" "$work/a.kefo" 2>&1 > /dev/null)
    instructions=$(echo "$summary" | awk '/I *refs:/ {gsub(/,/, "", $NF); print $NF}')
    d1=$(echo "$summary" | awk '/D1  misses:/ {gsub(/,/, "", $4); print $4}')
    ll=$(echo "$summary" | awk '/LLd misses:/ {gsub(/,/, "", $4); print $4}')
    report=$(md5sum < "$work/c.txt" | cut -c1-8)
    printf "%s\t%s\t%s\t%s\t%s\n" "$m" "$instructions" "$d1" "$ll" "$report"
done
