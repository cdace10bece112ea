// The kept large blocks: which are kept, which request takes one back, the
// bounds, and many threads taking and giving at once.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "viewer/draw/VDRW_BlockCache.h"

namespace {

constexpr size_t kMB = size_t(1) << 20;

struct CacheHolder {
    VDRW_BlockCache* m_cache;
    ~CacheHolder() { VDRW_DropBlockCache(m_cache); }
};

TEST(VDRW_BlockCache, AFreedLargeBlockServesTheNextRequestItFitsClosely) {
    CacheHolder holder{VDRW_NewBlockCache(32 * kMB, 4, 1024 * kMB)};
    VDRW_BlockCache* cache = holder.m_cache;
    ASSERT_NE(cache, nullptr);
    void* tile = VDRW_BlockAlloc(cache, 60 * kMB);
    ASSERT_NE(tile, nullptr);
    std::memset(tile, 7, 60 * kMB);
    VDRW_BlockFree(cache, tile);
    EXPECT_EQ(VDRW_BlocksKept(cache), 1);

    // Too large, or so much smaller that more than a quarter would lie idle.
    void* larger = VDRW_BlockAlloc(cache, 61 * kMB);
    void* smaller = VDRW_BlockAlloc(cache, 40 * kMB);
    EXPECT_NE(larger, tile);
    EXPECT_NE(smaller, tile);
    EXPECT_EQ(VDRW_BlocksKept(cache), 1);
    // A little smaller: the kept block, whole and writable.
    void* again = VDRW_BlockAlloc(cache, 58 * kMB);
    EXPECT_EQ(again, tile);
    EXPECT_EQ(VDRW_BlocksKept(cache), 0);
    std::memset(again, 1, 58 * kMB);

    // Small blocks are never kept; growing one goes through realloc.
    void* small = VDRW_BlockAlloc(cache, 1000);
    std::memset(small, 3, 1000);
    small = VDRW_BlockRealloc(cache, small, 40 * kMB);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(small)[999], 3);
    void* tiny = VDRW_BlockRealloc(cache, nullptr, 16);
    VDRW_BlockFree(cache, tiny);
    EXPECT_EQ(VDRW_BlocksKept(cache), 0);
    VDRW_BlockFree(cache, nullptr);

    for (void* block : {larger, smaller, again, small})
        VDRW_BlockFree(cache, block);
    EXPECT_EQ(VDRW_BlocksKept(cache), 4);
    VDRW_BlockTrim(cache);
    EXPECT_EQ(VDRW_BlocksKept(cache), 0);
}

TEST(VDRW_BlockCache, KeepsNoMoreBlocksOrBytesThanItsBounds) {
    {
        CacheHolder holder{VDRW_NewBlockCache(32 * kMB, 2, 1024 * kMB)};
        std::vector<void*> blocks;
        for (int i = 0; i < 5; ++i)
            blocks.push_back(VDRW_BlockAlloc(holder.m_cache, 33 * kMB));
        for (void* block : blocks)
            VDRW_BlockFree(holder.m_cache, block);
        EXPECT_EQ(VDRW_BlocksKept(holder.m_cache), 2);
    }
    {
        // 100 MB in all: one 60 MB block, then a 35 MB one, not a third.
        CacheHolder holder{VDRW_NewBlockCache(32 * kMB, 8, 100 * kMB)};
        void* a = VDRW_BlockAlloc(holder.m_cache, 60 * kMB);
        void* b = VDRW_BlockAlloc(holder.m_cache, 35 * kMB);
        void* c = VDRW_BlockAlloc(holder.m_cache, 35 * kMB);
        VDRW_BlockFree(holder.m_cache, a);
        VDRW_BlockFree(holder.m_cache, b);
        VDRW_BlockFree(holder.m_cache, c);
        EXPECT_EQ(VDRW_BlocksKept(holder.m_cache), 2);
    }
    // Dropping a cache frees what it keeps (the leak checker sees the rest).
}

TEST(VDRW_BlockCache, ManyThreadsTakingAndGivingBlocksLoseNone) {
    CacheHolder holder{VDRW_NewBlockCache(32 * kMB, 3, 1024 * kMB)};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                const size_t size = (32 + (t + i) % 4) * kMB;
                auto* block = static_cast<unsigned char*>(VDRW_BlockAlloc(holder.m_cache, size));
                ASSERT_NE(block, nullptr);
                block[0] = block[size - 1] = static_cast<unsigned char>(t);
                EXPECT_EQ(block[size - 1], t);
                VDRW_BlockFree(holder.m_cache, block);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_LE(VDRW_BlocksKept(holder.m_cache), 3);
    EXPECT_GE(VDRW_BlocksKept(holder.m_cache), 1);
}

}  // namespace
