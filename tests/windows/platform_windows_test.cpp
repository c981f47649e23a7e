// The Windows platform layer in process: the clock, the tables' memory and the console branch of
// the input poll (the end-to-end tests reach only its pipe branch).
#include <chrono>
#include <cstring>
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"

// The tick count runs at the rate of the system's own steady clock, read beside it: a busy
// machine may stretch the sleep, but stretches both alike.
TEST(WindowsPlatform, ClockStartsAboveZeroAndCountsMilliseconds)
{
    const uint32_t start = tick_count();
    const auto steady_start = std::chrono::steady_clock::now();
    EXPECT_GE(start, TICK_COUNT_AT_START);
    EXPECT_LT(start, TICK_COUNT_AT_START + 600000u) << "the clock does not start at process start";
    Sleep(300);
    const uint32_t elapsed = tick_count() - start;
    const auto steady =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - steady_start);
    EXPECT_GE(elapsed, 250u) << "a sleep of 300 ms was counted short";
    EXPECT_NEAR(double(elapsed), double(steady.count()), 100.0) << "the tick count does not count milliseconds";
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
