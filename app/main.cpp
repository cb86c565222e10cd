// kefo: the command-line host. Runs each script given on the command line
// through KEFO_EvalScript, in turn.
#include "kefo.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifndef KEFO_VERSION
#define KEFO_VERSION "unknown"
#endif

namespace {
void PrintUsage(FILE* stream) {
    std::fprintf(stream,
                 "usage: kefo SCRIPT...\n"
                 "       kefo --help | --version\n"
                 "\n"
                 "Runs each script file through the kefo fault-tree analysis engine, in turn.\n"
                 "Reports go to the files the scripts name (default results.txt), progress\n"
                 "lines to the standard output and errors to the standard error.\n"
                 "Exits 0 when every script ran without error, 1 otherwise.\n");
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kefo %s\n", KEFO_VERSION);
        return 0;
    }
    bool failed = false;
    for (int i = 1; i < argc; ++i) {
        std::vector<char> path(argv[i], argv[i] + std::strlen(argv[i]) + 1);
        if (KEFO_EvalScript(path.data()) != 0) failed = true;
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
