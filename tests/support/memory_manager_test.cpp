#include "support/exception.h"
#include "support/memory_manager.h"
#include "support/timer.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct Counted {
    PLOV_MANAGED_ALLOCATION(Counted)
    int payload[4];
};

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
    try {
        Counted* second = new Counted;
        delete second;
        FAIL() << "allocation did not fail";
    } catch (const PLOVException& e) {
        EXPECT_EQ(e.GetKind(), PLOVException::MemoryOverflow);
    }
    Counted* third = new Counted;  // the hook fires once only
    delete first;
    delete third;
    // Tracing is off: no file is written even when allocation fails.
    EXPECT_EQ(std::fopen("plov-dump.txt", "r"), nullptr);
}

TEST(PLOVMemoryManagerTest, NullDeletionIsAnInternalError) {
    try {
        PLOVMemoryManager::DeleteCell(nullptr);
        FAIL();
    } catch (const PLOVException& e) {
        EXPECT_EQ(e.GetKind(), PLOVException::InternalError);
    }
}

TEST(PLOVTimerTest, FormatsProcessorHundredthsUnderAMinuteAndWallSecondsAfter) {
    EXPECT_EQ(PLOVTimer::Format(3.049, 3.0), "3.05");
    EXPECT_EQ(PLOVTimer::Format(0.0, 0.0), "0.00");
    EXPECT_EQ(PLOVTimer::Format(70.0, 75.0), "75");
}

}  // namespace
