// The whole analysis of each benchmark model of tests/data/models, as a
// user runs it: a script that loads the model, builds its BDD and the ZBDD
// of its minimal cutsets, computes the exact top-event probability and
// prints every minimal cutset into a file. One benchmark per model (cea9601,
// with 130 million cutsets, is left out); the counters give the number of
// minimal cutsets and the probability read back from the reports.
//
// Run with --benchmark_filter=<model> for one model. The process-wide
// figures of the closing table are measured with the host on the same
// script (see the comment at the end).
#include "kefo.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const char* const models[] = {"baobab1", "baobab2", "baobab3", "chinese", "das9201", "das9202", "das9203", "das9204",
                              "das9205", "das9206", "das9207", "das9208", "das9601", "edf9201", "edf9202", "edf9205",
                              "isp9601", "isp9603", "isp9604", "isp9605", "isp9606", "isp9607", "ftr10"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// The top event is the first gate of the file.
std::string TopEvent(const std::string& modelPath) {
    const std::string text = ReadFile(modelPath);
    const std::string key = "<define-gate name=\"";
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return "";
    const std::size_t start = at + key.size();
    return text.substr(start, text.find('"', start) - start);
}

// The value after "label\t" on the first line that starts with it.
std::string Field(const std::string& text, const std::string& label) {
    std::size_t at = text.rfind("\n" + label + "\t");
    if (at == std::string::npos) return "";
    at += label.size() + 2;
    return text.substr(at, text.find('\n', at) - at);
}

void BM_Analysis(benchmark::State& state, const char* model) {
    char pattern[] = "/tmp/kefo-analysis-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const std::string directory = made;
    const std::string modelPath = std::string(KEFO_TEST_DATA_DIR) + "/models/" + model + ".xml";
    const std::string top = TopEvent(modelPath);
    const std::string script = directory + "/analysis.kefo";
    {
        std::ofstream out(script);
        out << "load model \"" << modelPath << "\" format = open-psa;\n"
            << "build BDD " << top << ";\n"
            << "build ZBDD-from-BDD " << top << ";\n"
            << "compute probability " << top << " source-handle = BDD output = \"" << directory
            << "/probability.txt\";\n"
            << "compute number-of-products " << top << " source-handle = ZBDD output = \"" << directory
            << "/count.txt\";\n"
            << "print minimal-cutsets " << top << " output = \"" << directory << "/cutsets.txt\";\n";
    }
    std::vector<char> path(script.begin(), script.end());
    path.push_back('\0');
    // The host's own lines go to a file, not into the benchmark's output.
    std::fflush(stdout);
    const int saved = dup(1);
    FILE* sink = std::fopen((directory + "/stdout.txt").c_str(), "w");
    if (sink != nullptr) dup2(fileno(sink), 1);
    int errors = 0;
    for (auto _ : state) errors += KEFO_EvalScript(path.data());
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    if (sink != nullptr) std::fclose(sink);
    if (errors != 0) state.SkipWithError("the script raised errors");
    const std::string count = Field("\n" + ReadFile(directory + "/count.txt"), "number-of-products");
    const std::string probability = ReadFile(directory + "/probability.txt");
    state.counters["MCS"] = std::atof(count.c_str());
    const std::size_t lastTab = probability.rfind('\t');
    state.counters["Q"] = lastTab == std::string::npos ? 0.0 : std::atof(probability.c_str() + lastTab + 1);
    if (std::system(("rm -rf '" + directory + "'").c_str()) != 0) state.counters["cleanup-failed"] = 1;
}

}  // namespace

int main(int argc, char** argv) {
    for (const char* model : models)
        benchmark::RegisterBenchmark(model, BM_Analysis, model)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Whole-process times: the same script run by the host, for instance
//   /usr/bin/time -f %e build/release/kefo analysis.kefo
// from a directory holding the script above.
