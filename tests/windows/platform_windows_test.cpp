// The Windows platform layer in process: the clock, the tables' memory and the console branch of
// the input poll (the end-to-end tests reach only its pipe branch).
#include <cstring>
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(WindowsPlatform, ClockStartsAboveZeroAndCountsMilliseconds)
{
    const uint32_t start = tick_count();
    EXPECT_GE(start, TICK_COUNT_AT_START);
    EXPECT_LT(start, TICK_COUNT_AT_START + 600000u) << "the clock does not start at process start";
    Sleep(300);
    const uint32_t elapsed = tick_count() - start;
    EXPECT_GE(elapsed, 250u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(WindowsPlatform, BlocksAreZeroAndTheLimitRefuses)
{
    const size_t bytes = size_t(64) << 20;
    // Plain pages, and the table's large pages (plain ones where the right to them is lacking).
    for (auto allocate : {allocate_zeroed, allocate_zeroed_huge}) {
        auto* block = static_cast<unsigned char*>(allocate(bytes));
        ASSERT_NE(block, nullptr);
        for (size_t i = 0; i < bytes; i += 4096)
            ASSERT_EQ(block[i] | block[i + 4095], 0) << i;
        std::memset(block, 0xAB, bytes);
        release_memory(block, bytes);
    }

    allocation_limit_bytes = bytes - 1;
    EXPECT_EQ(allocate_zeroed(bytes), nullptr);
    EXPECT_EQ(allocate_zeroed_huge(bytes), nullptr);
    allocation_limit_bytes = SIZE_MAX;
    EXPECT_EQ(allocate_zeroed(0), nullptr);
    release_memory(nullptr, 0);
}
