#include "platform/record_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr std::size_t kRecord = 866816;

// Slots are handed out as if each were its own allocation: distinct, aligned, writable end to
// end without touching a neighbour, and a released one comes back before anything new is taken.
TEST(RecordPool, SlotsAreDistinctAlignedAndReused) {
    platform::RecordPool pool(kRecord);
    std::vector<unsigned char*> slots;
    const std::size_t count = pool.SlotsPerChunk() + 3;  // spills into a second chunk
    for (std::size_t i = 0; i < count; ++i) {
        slots.push_back(static_cast<unsigned char*>(pool.Allocate()));
    }
    EXPECT_EQ(pool.MappedChunks(), 2u);
    std::vector<unsigned char*> sorted = slots;
    std::sort(sorted.begin(), sorted.end(), std::less<>());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(sorted[i]) % alignof(std::max_align_t), 0u);
        if (i > 0) {
            EXPECT_GE(static_cast<std::size_t>(sorted[i] - sorted[i - 1]), kRecord);
        }
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        std::memset(slots[i], static_cast<int>(i), kRecord);
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto value = static_cast<unsigned char>(i);
        EXPECT_EQ(slots[i][0], value);
        EXPECT_EQ(slots[i][kRecord - 1], value);
    }

    unsigned char* freed = slots[5];
    pool.Release(freed);
    EXPECT_EQ(pool.Allocate(), freed);
    for (unsigned char* slot : slots) {
        pool.Release(slot);
    }
    EXPECT_EQ(pool.MappedChunks(), 0u);
}

// A chunk holds exactly SlotsPerChunk slots: the next one comes from a new chunk, never from
// past the end of the full one, and a chunk's slots lie within its own span.
TEST(RecordPool, AFullChunkHandsOutNoSlotPastItsEnd) {
    platform::RecordPool pool(kRecord);
    std::vector<void*> first;
    for (std::size_t i = 0; i < pool.SlotsPerChunk(); ++i) {
        first.push_back(pool.Allocate());
        ASSERT_EQ(pool.MappedChunks(), 1u) << i;
    }
    const auto [low, high] = std::minmax_element(first.begin(), first.end(), std::less<>());
    EXPECT_LT(static_cast<std::size_t>(static_cast<unsigned char*>(*high) -
                                       static_cast<unsigned char*>(*low)),
              pool.SlotsPerChunk() * 2 * kRecord);
    void* next = pool.Allocate();
    EXPECT_EQ(pool.MappedChunks(), 2u);
    EXPECT_TRUE(next < *low || next > *high);
    pool.Release(next);
    for (void* slot : first) {
        pool.Release(slot);
    }
}

// Removing disks in any order gives every chunk back once its last slot is free, and a pool
// emptied that way maps afresh when asked again.
TEST(RecordPool, ChunksAreUnmappedWhenTheirLastSlotIsFreed) {
    platform::RecordPool pool(kRecord);
    std::vector<void*> live;
    for (int i = 0; i < 100; ++i) {
        live.push_back(pool.Allocate());
    }
    const std::size_t peak = pool.MappedChunks();
    EXPECT_EQ(peak, (100 + pool.SlotsPerChunk() - 1) / pool.SlotsPerChunk());
    // Free every third, take a few again, then free the rest from both ends.
    for (std::size_t i = 0; i < live.size(); i += 3) {
        pool.Release(live[i]);
        live[i] = nullptr;
    }
    for (int i = 0; i < 20; ++i) {
        live.push_back(pool.Allocate());
    }
    EXPECT_EQ(pool.MappedChunks(), peak);
    std::erase(live, nullptr);
    while (!live.empty()) {
        pool.Release(live.back());
        live.pop_back();
        if (!live.empty()) {
            pool.Release(live.front());
            live.erase(live.begin());
        }
    }
    EXPECT_EQ(pool.MappedChunks(), 0u);
    void* again = pool.Allocate();
    EXPECT_EQ(pool.MappedChunks(), 1u);
    pool.Release(again);
    EXPECT_EQ(pool.MappedChunks(), 0u);
}

#if defined(__SANITIZE_ADDRESS__)
// Checked builds keep records in the pool as well, so the checker must see what the ordinary heap
// would show it: a write past the end of a record and a read of a released one.
TEST(RecordPoolDeathTest, CheckerSeesPastTheEndAndReleasedSlots) {
    platform::RecordPool pool(kRecord);
    auto* slot = static_cast<unsigned char*>(pool.Allocate());
    void* neighbour = pool.Allocate();  // keeps the chunk mapped once slot is released
    volatile unsigned char* bytes = slot;
    bytes[kRecord - 1] = 1;
    EXPECT_DEATH(bytes[kRecord] = 1, "use-after-poison");
    pool.Release(slot);
    EXPECT_DEATH((void)bytes[100], "use-after-poison");
    pool.Release(neighbour);
}
#endif

}  // namespace
