// libFuzzer target of a whole analysis: arbitrary bytes are a textual model
// whose top event is the gate "top", and a fixed script loads it, builds its
// BDD and the ZBDD of its minimal cutsets, computes probabilities, counts and
// orders, prints the cutsets, and builds again under another ordering and
// under cutoffs. Whatever the model, the run ends without a crash, a leak or
// undefined behaviour (a script error only ends the run early). The model,
// the script and the reports live in a temporary directory of their own.
//
// The models worth reaching are small (a few dozen events): run it with
// -max_len=2048, the dictionary model_parser_qoln.dict and, as seeds,
// examples/pumps.sbe and small models whose first gate is renamed "top".
#include "kefo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace {

// Made at the first input and removed at exit; never destroyed, so that the
// exit handler can still read it.
const std::string& Directory();

void RemoveDirectory() {
    const std::string& directory = Directory();
    for (const char* name : {"/a.kefo", "/m.sbe", "/r.txt"}) std::remove((directory + name).c_str());
    rmdir(directory.c_str());
}

const std::string& Directory() {
    static const std::string* directory = [] {
        char pattern[] = "/tmp/kefo-analysis-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) std::abort();
        return new std::string(made);
    }();
    static const bool removed = std::atexit(RemoveDirectory) == 0;
    (void)removed;
    return *directory;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

// The paths are the directory's (%s): libFuzzer's own paths are relative to
// the working directory, which stays as it is.
const char* const script =
    "set option output \"%s/r.txt\";\n"
    "set option mode write;\n"
    "load model \"%s/m.sbe\";\n"
    "build BDD top;\n"
    "build ZBDD-from-BDD top;\n"
    "compute probability top mission-time = [0, 10, 10, 1000] print-mean-unavailability = true;\n"
    "set option mode append;\n"
    "compute probability top source-handle = ZBDD quantification-method = REA;\n"
    "compute probability top source-handle = ZBDD quantification-method = MCUB mission-time = 100;\n"
    "compute size-of-diagram top;\n"
    "compute number-of-products top source-handle = ZBDD;\n"
    "compute orders top source-handle = ZBDD;\n"
    "compute numbers-of-occurrences top source-handle = ZBDD;\n"
    "print minimal-cutsets top mission-time = 10;\n"
    "build BDD top variable-ordering-heuristic = SCG-OAF;\n"
    "build WZBDD-from-BDD top maximum-order = 2 minimum-probability = 1.0e-6 target-handle = W;\n"
    "print minimal-cutsets top source-handle = W;\n"
    "build WBDD top minimum-probability = 1.0e-5 target-handle = WB;\n"
    "compute probability top source-handle = WB;\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& directory = Directory();
    WriteFile(directory + "/m.sbe", data, size);
    static bool written = false;
    if (!written) {
        std::string text(script);
        for (std::size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + directory.size()))
            text.replace(at, 2, directory);
        WriteFile(directory + "/a.kefo", reinterpret_cast<const uint8_t*>(text.data()), text.size());
        written = true;
    }
    std::string path = directory + "/a.kefo";
    std::vector<char> argument(path.begin(), path.end());
    argument.push_back('\0');
    const int errors = KEFO_EvalScript(argument.data());
    if (errors < 0) std::abort();
    return 0;
}
