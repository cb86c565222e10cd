// Background population of freshly mapped memory. A block of the diagram
// stores is first touched page by page as it fills, and each first touch
// is a page fault: on virtual machines about a microsecond, a sixth of the
// analysis of a model whose BDD build makes a few hundred thousand nodes.
// The populator has one worker thread ask the system to back a block with
// writable pages (MADV_POPULATE_WRITE) while the analysis goes on, so that
// the faults are taken on another processor, ahead of the first touches.
//
// Population is advice. It never changes what a block holds: the system
// backs the pages without writing to them, so the analysis may write to
// the block at any time. A request is dropped when the worker cannot be
// started, when its queue is full, or when the system does not know the
// advice. A block is never populated after its release: Forget removes the
// block's pending request, and waits for the worker to leave it when it is
// being populated (at most one chunk of a quarter megabyte).
//
// A forked child starts with no worker and no request; it makes its own
// worker on its first request. The worker is stopped and joined at exit,
// and when the library is unloaded.
#ifndef KEFO_SUPPORT_PAGE_POPULATOR_H
#define KEFO_SUPPORT_PAGE_POPULATOR_H

#include <cstddef>

class PLOVPagePopulator {
public:
    // Asks for the first `maximumBytes` of the block (page aligned, mapped
    // on its own) to be populated in the background.
    static const std::size_t maximumBytes = std::size_t(64) << 20;
    static void Request(void* block, std::size_t size);
    // Called before the block is unmapped.
    static void Forget(void* block);
    // Test hook: waits until every pending request is done or dropped.
    static void WaitUntilIdle();
    // The number of bytes populated since the process started (or since the
    // fork that made it), for tests.
    static std::size_t GetNumberOfPopulatedBytes();
};

#endif
