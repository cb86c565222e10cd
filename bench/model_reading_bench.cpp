// Reading (and printing) a 100,000-event fault tree in both model formats.
// The model comes from the shared generator (gen_fault_tree.py, when python3
// is there) or, failing that, from an equivalent generator written here; it
// is written once into temporary files, in the textual language and in
// Open-PSA XML.
#include "io/model_parser.h"
#include "io/model_printer.h"
#include "model/model.h"
#include "support/stream.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

const int numberOfEvents = 100000;

std::string TemporaryPath(const char* name) {
    const char* directory = std::getenv("TMPDIR");
    return std::string(directory != nullptr ? directory : "/tmp") + "/kefo-bench-" + name;
}

bool FileIsThere(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    return size > 0;
}

// The same shape as the shared generator: top-down, two to four children per
// gate, and/or/atleast, a few shared references.
void GenerateHere(const std::string& textPath, const std::string& xmlPath) {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    struct Gate {
        std::string kind;
        int k;
        std::vector<std::string> children;
    };
    std::vector<std::string> names{"top"};
    std::vector<Gate> gates(1);
    std::deque<int> frontier{0};
    int events = 0;
    while (!frontier.empty()) {
        int g = frontier.front();
        frontier.pop_front();
        int fanin = 2 + static_cast<int>(random() % 3);
        double r = uniform(random);
        Gate gate{r < 0.3 ? "and" : (r < 0.35 && fanin >= 3 ? "atleast" : "or"), 0, {}};
        if (gate.kind == "atleast") gate.k = 2 + static_cast<int>(random() % static_cast<unsigned>(fanin - 2));
        for (int c = 0; c < fanin; ++c) {
            bool room = events < numberOfEvents;
            bool last = c == fanin - 1 && frontier.empty();
            if (room && !last && uniform(random) < 0.55) {
                gate.children.push_back("e" + std::to_string(++events));
            } else if (room) {
                names.push_back("g" + std::to_string(names.size() + 1));
                gates.emplace_back();
                frontier.push_back(static_cast<int>(names.size()) - 1);
                gate.children.push_back(names.back());
            } else {
                gate.children.push_back("e" + std::to_string(1 + random() % static_cast<unsigned>(events)));
            }
        }
        gates[static_cast<std::size_t>(g)] = gate;
    }
    FILE* text = std::fopen(textPath.c_str(), "wb");
    FILE* xml = std::fopen(xmlPath.c_str(), "wb");
    if (text == nullptr || xml == nullptr) std::abort();
    std::fprintf(xml, "<?xml version=\"1.0\"?>\n<opsa-mef>\n<define-fault-tree name=\"random\">\n");
    for (std::size_t i = 0; i < gates.size(); ++i) {
        const Gate& gate = gates[i];
        std::fprintf(text, "gate %s = ", names[i].c_str());
        if (gate.kind == "atleast") std::fprintf(text, "atleast %d (", gate.k);
        std::fprintf(xml, "<define-gate name=\"%s\">\n", names[i].c_str());
        if (gate.kind == "atleast")
            std::fprintf(xml, "<atleast min=\"%d\">\n", gate.k);
        else
            std::fprintf(xml, "<%s>\n", gate.kind.c_str());
        for (std::size_t c = 0; c < gate.children.size(); ++c) {
            const std::string& child = gate.children[c];
            if (c > 0) std::fprintf(text, "%s", gate.kind == "atleast" ? ", " : gate.kind == "and" ? " and " : " or ");
            std::fprintf(text, "%s", child.c_str());
            std::fprintf(xml, "<%s name=\"%s\"/>\n", child[0] == 'e' ? "basic-event" : "gate", child.c_str());
        }
        std::fprintf(text, gate.kind == "atleast" ? ");\n" : ";\n");
        std::fprintf(xml, "</%s>\n</define-gate>\n", gate.kind.c_str());
    }
    std::fprintf(xml, "</define-fault-tree>\n<model-data>\n");
    const double lo = std::log(1e-5), hi = std::log(1e-2);
    for (int e = 1; e <= events; ++e) {
        double p = std::exp(lo + (hi - lo) * uniform(random));
        std::fprintf(text, "basic-event e%d = %.6g;\n", e, p);
        std::fprintf(xml, "<define-basic-event name=\"e%d\">\n<float value=\"%.6g\"/>\n</define-basic-event>\n", e, p);
    }
    std::fprintf(xml, "</model-data>\n</opsa-mef>\n");
    std::fclose(text);
    std::fclose(xml);
}

// The number of basic events declared in a textual model file.
int CountBasicEvents(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    int count = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, file) != nullptr)
        if (std::strncmp(line, "basic-event ", 12) == 0) ++count;
    std::fclose(file);
    return count;
}

// The paths of the two files, made on first use. The shared generator grows
// its tree top-down and, with some seeds, the tree dies out early: seeds are
// tried until the tree has all its events.
const std::string& ModelPath(bool xml) {
    static const std::string textPath = TemporaryPath("model-100000.sbe");
    static const std::string xmlPath = TemporaryPath("model-100000.xml");
    static bool made = false;
    if (!made) {
        made = true;
        std::string generator = std::string(KEFO_SOURCE_DIR) + "/../../shared/tools/gen_fault_tree.py";
        if (!FileIsThere(generator)) generator = "/work/shared/tools/gen_fault_tree.py";
        bool generated = false;
        if (FileIsThere(generator) && std::system("python3 --version > /dev/null 2>&1") == 0) {
            for (int seed = 1; seed <= 20 && !generated; ++seed) {
                std::string common = "python3 '" + generator + "' --events " + std::to_string(numberOfEvents) +
                                     " --seed " + std::to_string(seed);
                if (std::system((common + " --format sbe > '" + textPath + "'").c_str()) != 0) break;
                if (CountBasicEvents(textPath) < numberOfEvents) continue;
                generated = std::system((common + " --format opsa > '" + xmlPath + "'").c_str()) == 0 &&
                            FileIsThere(xmlPath);
            }
        }
        if (!generated) GenerateHere(textPath, xmlPath);
    }
    return xml ? xmlPath : textPath;
}

void Read(benchmark::State& state, bool xml) {
    const std::string& path = ModelPath(xml);
    KEFOModelParser parser;
    for (auto _ : state) {
        KEFOModel* model = new KEFOModel();
        int errors = 0;
        FILE* file = std::fopen(path.c_str(), "rb");
        if (xml)
            parser.DownloadModelAtXMLFormat(errors, file, path.c_str(), model);
        else
            parser.ParseModelAtQOLNFormat(errors, file, path.c_str(), model);
        std::fclose(file);
        if (errors != 0 || model->GetNumberOfDeclarations() < numberOfEvents) {
            state.SkipWithError("the model did not load");
            break;
        }
        state.PauseTiming();
        delete model;
        state.ResumeTiming();
    }
}

void BM_ReadTextualModel(benchmark::State& state) { Read(state, false); }
void BM_ReadXMLModel(benchmark::State& state) { Read(state, true); }

void BM_DeleteModel(benchmark::State& state) {
    const std::string& path = ModelPath(false);
    KEFOModelParser parser;
    for (auto _ : state) {
        state.PauseTiming();
        KEFOModel* model = new KEFOModel();
        int errors = 0;
        FILE* file = std::fopen(path.c_str(), "rb");
        parser.ParseModelAtQOLNFormat(errors, file, path.c_str(), model);
        std::fclose(file);
        state.ResumeTiming();
        delete model;
    }
}

void Print(benchmark::State& state, bool xml) {
    const std::string& path = ModelPath(false);
    KEFOModelParser parser;
    KEFOModel model;
    int errors = 0;
    FILE* file = std::fopen(path.c_str(), "rb");
    parser.ParseModelAtQOLNFormat(errors, file, path.c_str(), &model);
    std::fclose(file);
    KEFOModelPrinter printer;
    for (auto _ : state) {
        PLOVStringStream stream;
        if (xml)
            printer.PrintModelAtXMLFormat(errors, &model, &stream);
        else
            printer.PrintModelAtQOLNFormat(errors, &model, &stream);
        benchmark::DoNotOptimize(stream.GetText().size());
    }
}

void BM_PrintTextualModel(benchmark::State& state) { Print(state, false); }
void BM_PrintXMLModel(benchmark::State& state) { Print(state, true); }

}  // namespace

BENCHMARK(BM_ReadTextualModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXMLModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintTextualModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintXMLModel)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
