// Reading and printing a 100,000-event Open-PSA fault tree with the
// library's XML support. The model is generated here, in the shape of the
// random trees of the scale tests: a top gate, gates of two to four children
// (and, or, atleast), about a tenth of the references shared, then the basic
// events with their probabilities in model-data.
#include "support/stream.h"
#include "support/xml_document.h"
#include "support/xml_parser.h"
#include "support/xml_printer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

std::string GenerateOpenPSAFaultTree(int numberOfEvents, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::string out;
    out.reserve(static_cast<std::size_t>(numberOfEvents) * 200);
    out += "<?xml version=\"1.0\"?>\n<opsa-mef>\n<define-fault-tree name=\"random\">\n";
    int events = 0;
    int gates = 1;
    std::deque<int> frontier{1};
    char line[128];
    while (!frontier.empty()) {
        int gate = frontier.front();
        frontier.pop_front();
        int fanin = 2 + static_cast<int>(random() % 3);
        double r = uniform(random);
        const char* kind = r < 0.3 ? "and" : (r < 0.35 && fanin >= 3 ? "atleast" : "or");
        if (gate == 1)
            out += "<define-gate name=\"top\">\n";
        else {
            std::snprintf(line, sizeof line, "<define-gate name=\"g%d\">\n", gate);
            out += line;
        }
        if (kind[1] == 't') {
            std::snprintf(line, sizeof line, "<atleast min=\"%d\">\n", 2 + static_cast<int>(random() % (fanin - 2)));
            out += line;
        } else {
            out += "<";
            out += kind;
            out += ">\n";
        }
        for (int c = 0; c < fanin; ++c) {
            bool room = events < numberOfEvents;
            double u = uniform(random);
            bool last = c == fanin - 1 && frontier.empty();
            if (u < 0.02 && gate < gates && !last) {
                int shared = gate + 1 + static_cast<int>(random() % static_cast<unsigned>(gates - gate));
                std::snprintf(line, sizeof line, "<gate name=\"g%d\"/>\n", shared);
            } else if (u < 0.10 && events > 0 && !last) {
                std::snprintf(line, sizeof line, "<basic-event name=\"e%d\"/>\n",
                              1 + static_cast<int>(random() % static_cast<unsigned>(events)));
            } else if (room && (uniform(random) < 0.55 || gates >= numberOfEvents) && !(last && room)) {
                std::snprintf(line, sizeof line, "<basic-event name=\"e%d\"/>\n", ++events);
            } else if (room) {
                // A fresh gate; the last child of an exhausted frontier is
                // always one so that the tree grows to its size.
                frontier.push_back(++gates);
                std::snprintf(line, sizeof line, "<gate name=\"g%d\"/>\n", gates);
            } else {
                std::snprintf(line, sizeof line, "<basic-event name=\"e%d\"/>\n",
                              1 + static_cast<int>(random() % static_cast<unsigned>(events)));
            }
            out += line;
        }
        out += "</";
        out += kind;
        out += ">\n</define-gate>\n";
    }
    out += "</define-fault-tree>\n<model-data>\n";
    const double lo = std::log(1e-5), hi = std::log(1e-2);
    for (int e = 1; e <= events; ++e) {
        std::snprintf(line, sizeof line, "<define-basic-event name=\"e%d\">\n<float value=\"%.6g\"/>\n", e,
                      std::exp(lo + (hi - lo) * uniform(random)));
        out += line;
        out += "</define-basic-event>\n";
    }
    out += "</model-data>\n</opsa-mef>\n";
    return out;
}

const std::string& Model() {
    static const std::string model = GenerateOpenPSAFaultTree(100000, 2);
    return model;
}

void SetCounters(benchmark::State& state, const PLOVXMLDocument& document) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Model().size()));
    state.counters["nodes"] = static_cast<double>(document.GetNumberOfNodes());
    state.counters["MB"] = static_cast<double>(Model().size()) / 1e6;
}

void BM_ReadOpenPSA100kFromMemory(benchmark::State& state) {
    const std::string& model = Model();
    PLOVXMLParser parser;
    PLOVXMLDocument document;
    for (auto _ : state) {
        int errors = 0;
        if (parser.ParseString(errors, &document, model) != 0) state.SkipWithError("syntax error");
        benchmark::DoNotOptimize(document.GetFirstChild());
    }
    SetCounters(state, document);
}
BENCHMARK(BM_ReadOpenPSA100kFromMemory)->Unit(benchmark::kMillisecond);

void BM_ReadOpenPSA100kFromFile(benchmark::State& state) {
    const std::string& model = Model();
    FILE* file = std::tmpfile();
    if (file == nullptr) {
        state.SkipWithError("no temporary file");
        return;
    }
    std::fwrite(model.data(), 1, model.size(), file);
    PLOVXMLParser parser;
    parser.SetInputFileName("ft100k.xml");
    PLOVXMLDocument document;
    for (auto _ : state) {
        std::rewind(file);
        int errors = 0;
        if (parser.ParseFile(errors, &document, file) != 0) state.SkipWithError("syntax error");
        benchmark::DoNotOptimize(document.GetFirstChild());
    }
    std::fclose(file);
    SetCounters(state, document);
}
BENCHMARK(BM_ReadOpenPSA100kFromFile)->Unit(benchmark::kMillisecond);

// Reading into a fresh document each time, deletion included.
void BM_ReadAndDeleteOpenPSA100k(benchmark::State& state) {
    const std::string& model = Model();
    PLOVXMLParser parser;
    long nodes = 0;
    for (auto _ : state) {
        auto* document = new PLOVXMLDocument;
        int errors = 0;
        if (parser.ParseString(errors, document, model) != 0) state.SkipWithError("syntax error");
        nodes = document->GetNumberOfNodes();
        delete document;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(model.size()));
    state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_ReadAndDeleteOpenPSA100k)->Unit(benchmark::kMillisecond);

void BM_PrintOpenPSA100k(benchmark::State& state) {
    PLOVXMLParser parser;
    PLOVXMLDocument document;
    int errors = 0;
    parser.ParseString(errors, &document, Model());
    PLOVXMLPrinter printer;
    for (auto _ : state) {
        PLOVStringStream stream;
        printer.PrintDocument(&stream, &document);
        benchmark::DoNotOptimize(stream.GetText().size());
    }
    SetCounters(state, document);
}
BENCHMARK(BM_PrintOpenPSA100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
