#include "support/exception.h"
#include "support/memory_manager.h"
#include "support/timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

namespace {

struct Counted {
    PLOV_MANAGED_ALLOCATION(Counted)
    int payload[4];
};

// Runs the allocation (or deletion), which must raise the exception of that kind.
template <class F>
void ExpectException(F run, PLOVException::Kind kind = PLOVException::MemoryOverflow) {
    try {
        run();
        FAIL() << "no exception";
    } catch (const PLOVException& e) {
        EXPECT_EQ(e.GetKind(), kind);
    }
}

TEST(PLOVMemoryManagerTest, BalanceFollowsCreationsAndDeletions) {
    PLOVMemoryManager::Start();
    Counted* a = new Counted;
    Counted* b = new Counted;
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 2);
    EXPECT_EQ(a->payload[3], 0);  // zero-filled
    delete a;
    delete b;
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

TEST(PLOVMemoryManagerTest, FailureHookRaisesMemoryOverflowOnce) {
    std::remove("plov-dump.txt");
    PLOVMemoryManager::Start();
    PLOVMemoryManager::SetAllocationFailureCountdown(1);
    Counted* first = new Counted;
    ExpectException([] { delete new Counted; });
    Counted* third = new Counted;  // the hook fires once only
    delete first;
    delete third;
    // Tracing is off: no file is written even when allocation fails.
    EXPECT_EQ(std::fopen("plov-dump.txt", "r"), nullptr);
}

TEST(PLOVMemoryManagerTest, NullDeletionIsAnInternalError) {
    ExpectException([] { PLOVMemoryManager::DeleteCell(nullptr); }, PLOVException::InternalError);
}

TEST(PLOVMemoryManagerTest, LargeCellsAreZeroedAlignedAndFailLikeCells) {
    const std::size_t unit = PLOVMemoryManager::largeCellAlignment;
    // A size that is not a multiple of the alignment, and a small one, with
    // and under every backing.
    for (int advised = 0; advised < 6; ++advised) {
        const std::size_t size = advised % 2 == 0 ? unit + unit / 2 + 100 : std::size_t(4000);
        const auto backing = static_cast<PLOVMemoryManager::Backing>(advised / 2);
        unsigned char* block = static_cast<unsigned char*>(PLOVMemoryManager::NewLargeCell(size, backing));
        ASSERT_NE(block, nullptr);
        bool zero = true;
        for (std::size_t i = 0; i < size; i += 997) zero = zero && block[i] == 0;
        EXPECT_TRUE(zero && block[size - 1] == 0);
        block[0] = 1;
        block[size - 1] = 2;  // the whole requested size is writable
#if defined(__linux__)
        if (size >= unit) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % unit, 0u);
        }
#endif
        PLOVMemoryManager::DeleteLargeCell(block, size);
    }
    PLOVMemoryManager::DeleteLargeCell(nullptr, unit);  // nothing to release
    // The failure hook reaches large cells too.
    PLOVMemoryManager::Start();
    PLOVMemoryManager::SetAllocationFailureCountdown(0);
    const std::size_t twice = 2 * unit;
    ExpectException([twice] { PLOVMemoryManager::DeleteLargeCell(PLOVMemoryManager::NewLargeCell(twice), twice); });
    PLOVMemoryManager::DeleteLargeCell(PLOVMemoryManager::NewLargeCell(twice), twice);  // the hook fired once only
}

TEST(PLOVMemoryManagerTest, UninitializedCellsFailLikeCells) {
    PLOVMemoryManager::Start();
    PLOVMemoryManager::SetAllocationFailureCountdown(0);
    ExpectException([] { PLOVMemoryManager::DeleteCell(PLOVMemoryManager::NewUninitializedCell(64)); });
    void* block = PLOVMemoryManager::NewUninitializedCell(64);  // the hook fired once only
    PLOVMemoryManager::DeleteCell(block);
}

TEST(PLOVTimerTest, FormatsProcessorHundredthsUnderAMinuteAndWallSecondsAfter) {
    EXPECT_EQ(PLOVTimer::Format(3.049, 3.0), "3.05");
    EXPECT_EQ(PLOVTimer::Format(0.0, 0.0), "0.00");
    EXPECT_EQ(PLOVTimer::Format(70.0, 75.0), "75");
}

}  // namespace
