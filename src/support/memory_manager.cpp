#include "support/memory_manager.h"

#include "support/exception.h"
#include "support/page_populator.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#if defined(__linux__)
#include <sys/mman.h>
#define PLOV_MAPPED_LARGE_CELLS 1
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
#else
#define PLOV_MAPPED_LARGE_CELLS 0
#endif

namespace {
long allocationBalance = 0;
bool traceAllocations = false;
long failureCountdown = -1;

void AppendToTraceFile(const char* format, void* pointer, const char* className, long balance) {
    FILE* file = std::fopen(PLOVMemoryManager::traceFileName, "a");
    if (file == nullptr) return;
    std::fprintf(file, format, pointer, className, balance);
    std::fclose(file);
}

void AppendTextToTraceFile(const char* text) {
    FILE* file = std::fopen(PLOVMemoryManager::traceFileName, "a");
    if (file == nullptr) return;
    std::fputs(text, file);
    std::fclose(file);
}

bool AllocationMustFail() {
    if (failureCountdown < 0) return false;
    if (failureCountdown == 0) {
        failureCountdown = -1;
        return true;
    }
    --failureCountdown;
    return false;
}

[[noreturn]] void Overflow() {
    if (traceAllocations) PLOVMemoryManager::Dump("PLOVMemoryManager::MemoryOverflow\n");
    PLOVException::RaiseMemoryOverflow();
}
}  // namespace

const char* PLOVMemoryManager::traceFileName = "plov-allocations.txt";
const char* PLOVMemoryManager::dumpFileName = "plov-dump.txt";

void PLOVMemoryManager::Start() {
    allocationBalance = 0;
    traceAllocations = false;
}

void PLOVMemoryManager::Stop() {
    if (!traceAllocations) return;
    AppendTextToTraceFile("PLOVMemoryManager::Stop\n");
    if (allocationBalance != 0) {
        char line[128];
        std::snprintf(line, sizeof line, "PLOVMemoryManager::AllocationBalance = %ld\n", allocationBalance);
        std::fputs(line, stderr);
        std::fflush(stderr);
        Dump(line);
    }
}

void* PLOVMemoryManager::NewCell(std::size_t size) {
    if (AllocationMustFail()) Overflow();
    void* p = std::calloc(1, size == 0 ? 1 : size);
    if (p == nullptr) Overflow();
    return p;
}

void* PLOVMemoryManager::NewUninitializedCell(std::size_t size) {
    if (AllocationMustFail()) Overflow();
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) Overflow();
    return p;
}

void* PLOVMemoryManager::ResizeCell(void* pointer, std::size_t oldSize, std::size_t newSize) {
    if (AllocationMustFail()) Overflow();
    void* p = std::realloc(pointer, newSize == 0 ? 1 : newSize);
    if (p == nullptr) Overflow();
    if (newSize > oldSize) std::memset(static_cast<char*>(p) + oldSize, 0, newSize - oldSize);
    return p;
}

void PLOVMemoryManager::DeleteCell(void* pointer) {
    if (pointer == nullptr) {
        if (traceAllocations) Dump("PLOVMemoryManager::NullPointerDeletion.\n");
        PLOVException::RaiseInternalError();
    }
    std::free(pointer);
}

void PLOVMemoryManager::ReleaseCell(void* pointer) noexcept { std::free(pointer); }

#if PLOV_MAPPED_LARGE_CELLS
namespace {
std::size_t RoundedToLargeCells(std::size_t size) {
    const std::size_t a = PLOVMemoryManager::largeCellAlignment;
    return (size + a - 1) / a * a;
}
}  // namespace
#endif

void* PLOVMemoryManager::NewLargeCell(std::size_t size, Backing backing) {
#if PLOV_MAPPED_LARGE_CELLS
    if (size >= largeCellAlignment) {
        if (AllocationMustFail()) Overflow();
        const std::size_t rounded = RoundedToLargeCells(size);
        // Over-map by one alignment unit, then trim both ends so that the
        // block starts on the alignment; anonymous mappings are zero-filled.
        const std::size_t mapped = rounded + largeCellAlignment;
        void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED) Overflow();
        const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(region);
        const std::uintptr_t aligned = (start + largeCellAlignment - 1) & ~(largeCellAlignment - 1);
        const std::size_t head = aligned - start;
        if (head != 0) munmap(region, head);
        const std::size_t tail = mapped - head - rounded;
        if (tail != 0) munmap(reinterpret_cast<void*>(aligned + rounded), tail);
        // Advice only: without huge pages the block is an ordinary mapping.
        // The advice goes first, so that the worker backs the block with
        // huge pages from its first chunk.
        if (backing == Backing::HugePages || backing == Backing::PopulatedHugePages)
            (void)madvise(reinterpret_cast<void*>(aligned), rounded, MADV_HUGEPAGE);
        if (backing == Backing::Populated || backing == Backing::PopulatedHugePages)
            PLOVPagePopulator::Request(reinterpret_cast<void*>(aligned), rounded);
        if (backing == Backing::Backed) BackPagesNow(reinterpret_cast<void*>(aligned), size);
        return reinterpret_cast<void*>(aligned);
    }
    if (backing == Backing::Backed && size >= 16 * 4096) {
        // The zeroing would fault the pages in one by one.
        void* p = NewUninitializedCell(size);
        BackPagesNow(p, size);
        std::memset(p, 0, size);
        return p;
    }
#else
    (void)backing;
#endif
    return NewCell(size);
}

void PLOVMemoryManager::BackPagesNow(void* pointer, std::size_t size) noexcept {
#if PLOV_MAPPED_LARGE_CELLS
    // False once the system has refused the advice as unknown.
    static std::atomic<bool> known{true};
    if (!known.load(std::memory_order_relaxed) || pointer == nullptr || size == 0) return;
    const std::uintptr_t pageBytes = 4096;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(pointer) & ~(pageBytes - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(pointer) + size + pageBytes - 1) & ~(pageBytes - 1);
    if (madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE) != 0 && errno == EINVAL)
        known.store(false, std::memory_order_relaxed);
#else
    (void)pointer;
    (void)size;
#endif
}

void PLOVMemoryManager::DeleteLargeCell(void* pointer, std::size_t size) noexcept {
    if (pointer == nullptr) return;
#if PLOV_MAPPED_LARGE_CELLS
    if (size >= largeCellAlignment) {
        PLOVPagePopulator::Forget(pointer);
        munmap(pointer, RoundedToLargeCells(size));
        return;
    }
#else
    (void)size;
#endif
    std::free(pointer);
}

void PLOVMemoryManager::SetTraceAllocations(bool flag) { traceAllocations = flag; }
bool PLOVMemoryManager::GetTraceAllocations() { return traceAllocations; }
long PLOVMemoryManager::GetAllocationBalance() { return allocationBalance; }
void PLOVMemoryManager::SetAllocationFailureCountdown(long count) { failureCountdown = count; }

void PLOVMemoryManager::TraceNew(void* pointer, const char* className) {
    if (traceAllocations)
        AppendToTraceFile("PLOVMemoryManager::New %p/%s [%ld]\n", pointer, className, allocationBalance);
    ++allocationBalance;
}

void PLOVMemoryManager::TraceDelete(void* pointer, const char* className) {
    --allocationBalance;
    if (!traceAllocations) return;
    AppendToTraceFile("PLOVMemoryManager::Delete %p/%s [%ld]\n", pointer, className, allocationBalance);
    // A negative balance means an object was deleted twice or was never
    // created through the accounting. While tracing (a debugging session) this
    // stops the process, as the trace would be meaningless from here on.
    if (allocationBalance < 0) {
        char line[256];
        std::snprintf(line, sizeof line, "PLOVMemoryManager::NegativeAllocationBalance Delete %p/%s [%ld]\n",
                      pointer, className, allocationBalance);
        Dump(line);
        std::exit(1);
    }
}

void PLOVMemoryManager::TraceAllocationDebugPoint(const char* text) {
    if (!traceAllocations) return;
    FILE* file = std::fopen(traceFileName, "a");
    if (file == nullptr) return;
    std::fprintf(file, "PLOVMemoryManager::DebugPoint %s\n", text);
    std::fclose(file);
}

void PLOVMemoryManager::TraceAllocationBalance(const char* text) {
    FILE* file = std::fopen(traceFileName, "a");
    if (file == nullptr) return;
    std::fprintf(file, "PLOVMemoryManager::AllocationBalance = %ld %s\n", allocationBalance, text);
    std::fclose(file);
}

void PLOVMemoryManager::Dump(const char* text) {
    FILE* file = std::fopen(dumpFileName, "a");
    if (file == nullptr) return;
    std::time_t now = std::time(nullptr);
    std::fprintf(file, "PLOV version 1.5.1 %s", std::asctime(std::localtime(&now)));
    std::fputs(text, file);
    std::fclose(file);
}
