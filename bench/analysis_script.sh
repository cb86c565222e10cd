# Sourced by the bench scripts: the benchmark models and the analysis they
# time or count, in one place so that both measure the same work.
#
# Needs: here (the source tree), heuristic (the variable ordering of the BDD
# build) and work (a scratch directory).

data=$here/tests/data/models

# The models of a run: those named on the command line, else every shared
# model but cea9601 (its report of 130 million cutsets takes 8.4 GB).
SelectModels() {
    models=("$@")
    if [ ${#models[@]} -eq 0 ]; then
        models=(baobab1 baobab2 baobab3 chinese das9201 das9202 das9203 das9204 das9205 das9206 das9207 das9208
                das9601 edf9201 edf9202 edf9205 isp9601 isp9603 isp9604 isp9605 isp9606 isp9607 ftr10)
    fi
}

# Writes $work/a.kefo for model $1: load it, build its BDD and the ZBDD of
# its minimal cutsets, compute the exact probability into $work/p.txt and
# print every minimal cutset into $work/c.txt.
WriteAnalysisScript() {
    local file=$data/$1.xml
    local top
    top=$(grep -o '<define-gate name="[^"]*"' "$file" | head -1 | sed 's/.*name="//;s/"//')
    cat > "$work/a.kefo" <<EOF
load model "$file" format = open-psa;
build BDD $top variable-ordering-heuristic = $heuristic;
build ZBDD-from-BDD $top;
compute probability $top source-handle = BDD output = "$work/p.txt";
print minimal-cutsets $top output = "$work/c.txt";
EOF
}
