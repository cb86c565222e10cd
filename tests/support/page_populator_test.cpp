#include "support/memory_manager.h"
#include "support/page_populator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {

const std::size_t pageBytes = 4096;

bool SystemPopulates() {
    void* probe = mmap(nullptr, pageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (probe == MAP_FAILED) return false;
    const bool known = madvise(probe, pageBytes, MADV_POPULATE_WRITE) == 0;
    munmap(probe, pageBytes);
    return known;
}

// The number of the block's 4 KB pages that are backed.
std::size_t ResidentPages(void* block, std::size_t size) {
    std::vector<unsigned char> flags((size + pageBytes - 1) / pageBytes);
    if (mincore(block, size, flags.data()) != 0) return 0;
    std::size_t resident = 0;
    for (unsigned char f : flags) resident += f & 1u;
    return resident;
}

// Whether the mapping that holds the address carries the huge-page advice,
// read from the flags the system lists for it ("hg"); -1 when the system
// does not list them.
int AdvisedToHugePages(const void* address) {
    std::FILE* maps = std::fopen("/proc/self/smaps", "r");
    if (maps == nullptr) return -1;
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(address);
    char line[512];
    bool inside = false;
    int advised = -1;
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        unsigned long low = 0, high = 0;
        if (std::sscanf(line, "%lx-%lx ", &low, &high) == 2) {
            inside = at >= low && at < high;
            continue;
        }
        if (inside && std::strncmp(line, "VmFlags:", 8) == 0) {
            advised = std::strstr(line, " hg") != nullptr ? 1 : 0;
            break;
        }
    }
    std::fclose(maps);
    return advised;
}

// A block populated in the background, written while the worker goes over
// it, keeps every byte written and ends up backed; only a block of huge
// pages carries their advice.
void CheckPopulatedBlock(PLOVMemoryManager::Backing backing, std::size_t size) {
    const bool huge = backing == PLOVMemoryManager::Backing::PopulatedHugePages;
    SCOPED_TRACE(huge ? "with huge pages" : "with 4 KB pages");
    const std::size_t before = PLOVPagePopulator::GetNumberOfPopulatedBytes();
    unsigned char* block = static_cast<unsigned char*>(PLOVMemoryManager::NewLargeCell(size, backing));
    const int advised = AdvisedToHugePages(block);
    if (advised >= 0) {
        EXPECT_EQ(advised, huge ? 1 : 0);
    }
    // Written at once, while the worker goes over the same pages.
    // One byte per page, at a place and with a value that vary by page.
    for (std::size_t i = 0; i < size; i += pageBytes)
        block[i + (i / pageBytes) % pageBytes] = static_cast<unsigned char>(1 + i / pageBytes % 251);
    PLOVPagePopulator::WaitUntilIdle();
    bool kept = true;
    for (std::size_t i = 0; i < size; i += pageBytes) {
        const std::size_t at = i + (i / pageBytes) % pageBytes;
        kept = kept && block[at] == static_cast<unsigned char>(1 + i / pageBytes % 251);
        // The rest of the page is still zero.
        kept = kept && block[i + (at - i + 1) % pageBytes] == 0;
    }
    EXPECT_TRUE(kept);
    if (SystemPopulates()) {
        EXPECT_EQ(ResidentPages(block, size), size / pageBytes);
        EXPECT_GE(PLOVPagePopulator::GetNumberOfPopulatedBytes() - before, size);
    }
    PLOVMemoryManager::DeleteLargeCell(block, size);
}

}  // namespace

TEST(PLOVPagePopulatorTest, PopulatedBlocksKeepWhatIsWrittenMeanwhileAndEndUpBacked) {
    const std::size_t size = 8 * PLOVMemoryManager::largeCellAlignment;  // 16 MB
    CheckPopulatedBlock(PLOVMemoryManager::Backing::Populated, size);
    CheckPopulatedBlock(PLOVMemoryManager::Backing::PopulatedHugePages, size);

    // Plain blocks are backed only where they are touched.
    unsigned char* plain = static_cast<unsigned char*>(PLOVMemoryManager::NewLargeCell(size));
    plain[0] = 1;
    PLOVPagePopulator::WaitUntilIdle();
    EXPECT_LE(ResidentPages(plain, size), 1u);
    PLOVMemoryManager::DeleteLargeCell(plain, size);
}

TEST(PLOVPagePopulatorTest, PagesBackedAtOnceAreExactlyThoseOfTheRangeAndKeepTheirBytes) {
    const std::size_t size = PLOVMemoryManager::largeCellAlignment;
    unsigned char* block = static_cast<unsigned char*>(PLOVMemoryManager::NewLargeCell(size));
    block[5 * pageBytes + 17] = 42;
    // From the middle of page 3 to the first byte of page 8: pages 3 to 8.
    PLOVMemoryManager::BackPagesNow(block + 3 * pageBytes + 100, 5 * pageBytes - 99);
    EXPECT_EQ(block[5 * pageBytes + 17], 42);
    EXPECT_EQ(block[3 * pageBytes], 0);
    if (SystemPopulates()) {
        std::vector<unsigned char> flags(size / pageBytes);
        ASSERT_EQ(mincore(block, size, flags.data()), 0);
        std::vector<int> backed;
        for (std::size_t i = 0; i < flags.size(); ++i)
            if (flags[i] & 1u) backed.push_back(static_cast<int>(i));
        EXPECT_EQ(backed, (std::vector<int>{3, 4, 5, 6, 7, 8}));
    }
    PLOVMemoryManager::BackPagesNow(block, 0);  // nothing to back
    PLOVMemoryManager::BackPagesNow(nullptr, pageBytes);
    PLOVMemoryManager::DeleteLargeCell(block, size);
}

TEST(PLOVPagePopulatorTest, BackedCellsComeZeroedWithTheirPagesBacked) {
    // A mapped block (4 MB) and a cell of the heap (96 KB, below the size
    // the system allocator maps on its own).
    for (std::size_t size : {2 * PLOVMemoryManager::largeCellAlignment, std::size_t(96) << 10}) {
        SCOPED_TRACE(size);
        unsigned char* block = static_cast<unsigned char*>(
            PLOVMemoryManager::NewLargeCell(size, PLOVMemoryManager::Backing::Backed));
        if (SystemPopulates() && size >= PLOVMemoryManager::largeCellAlignment) {
            EXPECT_EQ(ResidentPages(block, size), size / pageBytes);
        }
        bool zero = true;
        for (std::size_t i = 0; i < size; ++i) zero = zero && block[i] == 0;
        EXPECT_TRUE(zero);
        // Written over and released, the heap cell's memory comes back
        // zeroed when it is taken again.
        std::memset(block, 0xA5, size);
        PLOVMemoryManager::DeleteLargeCell(block, size);
        block = static_cast<unsigned char*>(PLOVMemoryManager::NewLargeCell(size, PLOVMemoryManager::Backing::Backed));
        zero = true;
        for (std::size_t i = 0; i < size; ++i) zero = zero && block[i] == 0;
        EXPECT_TRUE(zero);
        PLOVMemoryManager::DeleteLargeCell(block, size);
    }
}

TEST(PLOVPagePopulatorTest, AReleasedBlockIsNeverPopulatedAfterItsRelease) {
    const std::size_t size = PLOVPagePopulator::maximumBytes;
    for (int round = 0; round < 4; ++round) {
        void* block = PLOVMemoryManager::NewLargeCell(size, PLOVMemoryManager::Backing::Populated);
        PLOVMemoryManager::DeleteLargeCell(block, size);  // most likely while it is being populated
        // The same addresses, mapped again, stay unbacked.
        void* again = mmap(block, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (again == MAP_FAILED) continue;  // taken meanwhile by someone else
        if (again != block) {
            munmap(again, size);  // a system without the flag put it elsewhere
            continue;
        }
        PLOVPagePopulator::WaitUntilIdle();
        EXPECT_EQ(ResidentPages(again, size), 0u) << "round " << round;
        munmap(again, size);
    }
}

TEST(PLOVPagePopulatorTest, AForkedChildPopulatesOnItsOwnAndExits) {
    const std::size_t size = 4 * PLOVMemoryManager::largeCellAlignment;
    // The parent's worker has started and is busy when the child is made.
    // It is started first on a block of its own: a thread still starting
    // may hold a lock of the sanitizers' allocator, which has no fork hooks
    // of its own, and the child's first allocation would then wait forever
    // (the system allocator has such hooks).
    void* warmUp = PLOVMemoryManager::NewLargeCell(PLOVMemoryManager::largeCellAlignment,
                                                   PLOVMemoryManager::Backing::Populated);
    PLOVPagePopulator::WaitUntilIdle();
    PLOVMemoryManager::DeleteLargeCell(warmUp, PLOVMemoryManager::largeCellAlignment);
    void* parentBlock = PLOVMemoryManager::NewLargeCell(size, PLOVMemoryManager::Backing::Populated);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(30);  // a hang ends the child with SIGALRM
        unsigned char* block =
            static_cast<unsigned char*>(PLOVMemoryManager::NewLargeCell(size, PLOVMemoryManager::Backing::Populated));
        block[size - 1] = 7;
        PLOVPagePopulator::WaitUntilIdle();
        const bool ok = block[size - 1] == 7 && block[0] == 0;
        PLOVMemoryManager::DeleteLargeCell(block, size);
        PLOVMemoryManager::DeleteLargeCell(parentBlock, size);
        std::exit(ok ? 0 : 3);  // the exit handlers stop the child's worker
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "status " << status;
    if (WIFEXITED(status)) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    PLOVMemoryManager::DeleteLargeCell(parentBlock, size);
}

#endif
