// Process-wide memory accounting. Every engine and support object is created
// and deleted through it (see PLOV_MANAGED_ALLOCATION): it keeps the balance
// of creations and deletions and, while tracing is switched on by a host,
// writes one line per event into "plov-allocations.txt".
#ifndef KEFO_SUPPORT_MEMORY_MANAGER_H
#define KEFO_SUPPORT_MEMORY_MANAGER_H

#include <cstddef>

class PLOVMemoryManager {
public:
    static void Start();
    static void Stop();

    // Zero-filled allocation; throws the memory-overflow PLOVException when
    // the allocation fails.
    static void* NewCell(std::size_t size);
    // The same without the zero fill, for arrays written before they are
    // read: their pages are touched only as they are used. Released by
    // DeleteCell.
    static void* NewUninitializedCell(std::size_t size);
    // Zero-filled reallocation of a block made by NewCell.
    static void* ResizeCell(void* pointer, std::size_t oldSize, std::size_t newSize);
    // Releases a block made by NewCell; a null pointer is an internal error.
    static void DeleteCell(void* pointer);
    // Releases without the null-pointer check (used by operator delete).
    static void ReleaseCell(void* pointer) noexcept;
    // Zero-filled allocation for the big arrays of the diagram stores (node
    // pages, operation caches, memos). Blocks of `largeCellAlignment` bytes
    // or more are mapped on their own, on that alignment, so that they come
    // zeroed without a pass over them, go back to the system when released,
    // and get huge pages where the system gives them unasked. Sizes below
    // that are plain cells. A block is released with DeleteLargeCell and
    // the size it was made with.
    //
    // How a mapped block is backed:
    // - Plain: its pages are backed as they are first touched.
    // - HugePages: advised to transparent huge pages. Only for blocks read
    //   at random all over from the start (the operation cache): every one
    //   of their 4 KB pages is touched anyway, so a huge page costs no more
    //   to back, and the block then takes two entries of the address
    //   translation cache instead of one per 4 KB. Blocks filled bit by
    //   bit, like node pages, are better without it when the caller backs
    //   them itself: on virtual machines whose free memory goes back to the
    //   host, a fresh huge page costs on first touch all the 4 KB pages a
    //   short analysis would never have touched.
    // - Populated: backed with 4 KB pages in the background, on another
    //   processor, while the caller goes on (PLOVPagePopulator), so that its
    //   first touches find the pages there. For blocks that will be filled
    //   soon.
    // - PopulatedHugePages: advised to huge pages and backed in the
    //   background. For blocks that will be filled soon and then read at
    //   random, like the node pages and bucket arrays of a large build: the
    //   cost of backing a huge page is taken off the caller's processor,
    //   and the caller's random reads then miss the address translation
    //   cache far less often.
    // - Backed: backed at once, in one request, before it is returned
    //   (smaller blocks too, before they are zeroed). For blocks written all
    //   over as soon as they are made, like a memo rehashed into its new
    //   slots: a page fault costs several times a page backed on request.
    static const std::size_t largeCellAlignment = std::size_t(2) << 20;
    enum class Backing { Plain, HugePages, Populated, PopulatedHugePages, Backed };
    static void* NewLargeCell(std::size_t size, Backing backing = Backing::Plain);
    static void DeleteLargeCell(void* pointer, std::size_t size) noexcept;
    // Backs the 4 KB pages that overlap [pointer, pointer + size) at once,
    // without changing what they hold, in one request to the system: on
    // virtual machines a page fault costs two to ten times as much as a
    // page backed that way, depending on the host. The pages must be mapped
    // by the process (the heap's or a block of NewLargeCell). Does nothing
    // where the system does not know the request.
    static void BackPagesNow(void* pointer, std::size_t size) noexcept;

    static void SetTraceAllocations(bool flag);
    static bool GetTraceAllocations();
    static void TraceNew(void* pointer, const char* className);
    static void TraceDelete(void* pointer, const char* className);
    static void TraceAllocationDebugPoint(const char* text);
    static void TraceAllocationBalance(const char* text);
    static void Dump(const char* text);
    static long GetAllocationBalance();

    // Test hook: after `count` further successful allocations through
    // NewCell/ResizeCell, the next one fails as if the machine were out of
    // memory. A negative count (the default) never fails.
    static void SetAllocationFailureCountdown(long count);

    static const char* traceFileName;
    static const char* dumpFileName;
};

// Gives a class its own operator new/delete routed through the accounting.
#define PLOV_MANAGED_ALLOCATION(ClassName)                                        \
public:                                                                           \
    static void* operator new(std::size_t size) {                                 \
        void* p = PLOVMemoryManager::NewCell(size);                               \
        PLOVMemoryManager::TraceNew(p, #ClassName);                               \
        return p;                                                                 \
    }                                                                             \
    static void operator delete(void* p) noexcept {                               \
        if (p == nullptr) return;                                                 \
        PLOVMemoryManager::TraceDelete(p, #ClassName);                            \
        PLOVMemoryManager::ReleaseCell(p);                                        \
    }

#endif
