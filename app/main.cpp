// kefo: the command-line host. Runs each script given on the command line
// through KEFO_EvalScript, in turn.
#include "kefo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define KEFO_TUNE_HEAP 1
#endif

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

#ifdef KEFO_TUNE_HEAP
// An analysis makes millions of small objects and hash tables in a few
// milliseconds; on first touch every 4 KB page of the heap costs a page
// fault, which on virtual machines dominates the running time of small
// models. The heap is therefore grown in one step of `reserve` bytes offered
// to the system's transparent huge pages, with the big blocks kept in it
// rather than mapped one by one. Advice only: where huge pages are not
// available the heap behaves as usual, its pages given on first touch.
//
// A 2 MB range of the heap written before the advice keeps its 4 KB pages
// for good (its page table already exists), so nothing may be written into
// the advised range before the advice: the break is placed one page below a
// huge-page boundary, the whole reserve is taken by one block whose header
// lies in that page, the range above it is advised untouched, and the block
// is given back to the top of the heap, whose header takes its place.
void TuneHeap() {
    const std::size_t reserve = std::size_t(64) << 20;
    const std::uintptr_t huge = std::uintptr_t(2) << 20;
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 0);
    // The reserve must come from the break, not from a mapping of its own.
    mallopt(M_MMAP_MAX, 0);
    char* start = static_cast<char*>(sbrk(0));
    if (start != reinterpret_cast<char*>(-1)) {
        const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(start);
        std::uintptr_t target = (at + page + huge - 1) / huge * huge - page;
        if (target < at) target += huge;
        const std::uintptr_t gap = target - at;
        if (gap == 0 || sbrk(static_cast<intptr_t>(gap)) != reinterpret_cast<void*>(-1)) {
            char* block = static_cast<char*>(std::malloc(reserve));
            if (block != nullptr) {
                const std::uintptr_t b = reinterpret_cast<std::uintptr_t>(block);
                const std::uintptr_t from = (b + huge - 1) & ~(huge - 1);
                const std::uintptr_t to = (b + reserve) & ~(huge - 1);
                if (to > from) (void)madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
                std::free(block);
            }
        }
    }
    mallopt(M_MMAP_MAX, 65536);
    mallopt(M_TOP_PAD, 1 << 20);
}
#endif
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
#ifdef KEFO_TUNE_HEAP
    TuneHeap();
#endif
    bool failed = false;
    for (int i = 1; i < argc; ++i) {
        std::vector<char> path(argv[i], argv[i] + std::strlen(argv[i]) + 1);
        if (KEFO_EvalScript(path.data()) != 0) failed = true;
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
