#include "support/memory_manager.h"

#include "support/exception.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

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
