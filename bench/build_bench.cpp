// Benchmark of the build commands on the shared benchmark models: for each
// model, a script loads it, builds the BDD of its top gate and the ZBDD of
// its minimal cutsets (load + build BDD + build ZBDD-from-BDD, with the
// default store settings and the DFLM order). One line per model: the
// number of minimal cutsets, the BDD and ZBDD sizes and the wall time of the
// whole script. A second table compares the BDD sizes under the DFLM and
// CPFLM orders.
#include "diagrams/handle.h"
#include "model/model.h"
#include "model/variable.h"
#include "script/interpreter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const models[] = {"baobab1", "baobab2", "baobab3", "chinese", "das9201", "das9202", "das9203",
                              "das9204", "das9205", "das9206", "das9207", "das9208", "das9601", "edf9201",
                              "edf9202", "edf9205", "ftr10",   "isp9601", "isp9603", "isp9604", "isp9605",
                              "isp9606", "isp9607", "cea9601"};

std::string ModelPath(const std::string& name) { return std::string(KEFO_TEST_DATA_DIR) + "/models/" + name + ".xml"; }

// The first gate defined in the file.
std::string TopGate(const std::string& name) {
    std::ifstream in(ModelPath(name));
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    const std::string key = "<define-gate name=\"";
    std::size_t at = s.find(key);
    if (at == std::string::npos) return "";
    at += key.size();
    return s.substr(at, s.find('"', at) - at);
}

struct Row {
    int errors = 0;
    double cutsets = 0;
    int bddSize = 0;
    int zbddSize = 0;
    double seconds = 0;
};

Row Run(const std::string& name, const char* heuristic) {
    const std::string top = TopGate(name);
    const std::string path = "/tmp/kefo-build-bench.kefo";
    {
        std::ofstream script(path);
        script << "load model \"" << ModelPath(name) << "\" format = open-psa;\n"
               << "build BDD " << top << " keep-intermediate-BDD-handles = false variable-ordering-heuristic = "
               << heuristic << ";\n"
               << "build ZBDD-from-BDD " << top << ";\n";
    }
    Row row;
    std::unique_ptr<KEFOInterpreter> interpreter(new KEFOInterpreter());
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    interpreter->DownloadAndExecuteScript(row.errors, path.c_str());
    row.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    KEFOModel* model = interpreter->GetTargetModel();
    bool mismatch = false;
    KEFOVariable* variable = model != nullptr ? model->LookForVariable(top.c_str(), mismatch) : nullptr;
    KEFOHandle* bdd = variable != nullptr ? variable->LookForHandle("BDD") : nullptr;
    KEFOHandle* zbdd = variable != nullptr ? variable->LookForHandle("ZBDD") : nullptr;
    if (bdd != nullptr) row.bddSize = bdd->ComputeSizeOfDiagram();
    if (zbdd != nullptr) {
        row.zbddSize = zbdd->ComputeSizeOfDiagram();
        row.cutsets = zbdd->ComputeNumberOfProducts();
    }
    return row;
}

std::vector<std::string> lines;
std::vector<std::string> comparisons;

void BuildModel(benchmark::State& state, const char* name) {
    Row row;
    for (auto _ : state) row = Run(name, "DFLM");
    state.counters["MCS"] = row.cutsets;
    state.counters["BDD"] = row.bddSize;
    state.counters["ZBDD"] = row.zbddSize;
    char line[256];
    std::snprintf(line, sizeof line, "%-8s\t%.0f\t%d\t%d\t%.3f%s", name, row.cutsets, row.bddSize, row.zbddSize,
                  row.seconds, row.errors != 0 ? "\terrors" : "");
    lines.push_back(line);
    Row cpflm = Run(name, "CPFLM");
    std::snprintf(line, sizeof line, "%-8s\t%d\t%d\t%.3f\t%.3f", name, row.bddSize, cpflm.bddSize, row.seconds,
                  cpflm.seconds);
    comparisons.push_back(line);
}

}  // namespace

int main(int argc, char** argv) {
    for (const char* name : models)
        benchmark::RegisterBenchmark(("build/" + std::string(name)).c_str(), BuildModel, name)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\nmodel\t#MCS\tBDD\tZBDD\twall s\n");
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    std::printf("\nmodel\tBDD DFLM\tBDD CPFLM\ts DFLM\ts CPFLM\n");
    for (const std::string& line : comparisons) std::printf("%s\n", line.c_str());
    benchmark::Shutdown();
    return 0;
}
