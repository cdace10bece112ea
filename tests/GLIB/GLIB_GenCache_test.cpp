// The block cache: slots, eviction of the least recently used block to its
// file, reloading, names, and failures that leave the cache usable.
#include "GLIB/GLIB_GenCache.h"

#include "GLIB/GLIB_Exception.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// The bytes item `id` holds in its `version`th filling.
std::string Pattern(uint32_t size, int id, int version) {
    std::string bytes(size, '\0');
    uint32_t x = static_cast<uint32_t>(id * 7919 + version * 104729 + 1);
    for (char& b : bytes)
        b = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
    return bytes;
}

// Descriptors open in this process: a failed transfer must not keep one.
size_t OpenDescriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<size_t>(std::distance(begin(fds), end(fds)));
}

// A cache of `count` items of `size` bytes each; item i is named GLGC<i>.tmp unless that file exists.
struct Cache {
    GLIB_GenCache cache;
    uint32_t size;
    std::vector<GLIB_GenCache::ItemPosition> items;
    Cache(uint32_t pool, uint32_t blockSize, const char* folder, int count) : cache(pool, folder), size(blockSize) {
        cache.SetBlockSize(size);
        for (int i = 0; i < count; ++i)
            items.push_back(cache.NewItem());
    }
    void Put(int i, int version = 0) {
        uint8_t* block = cache.Block(items[i], false);
        ASSERT_NE(block, nullptr);
        std::memcpy(block, Pattern(size, i, version).data(), size);
    }
    bool Has(int i, int version = 0) {
        const uint8_t* block = cache.Block(items[i], true);
        return block && std::memcmp(block, Pattern(size, i, version).data(), size) == 0;
    }
};

}  // namespace

TEST(GLIB_GenCache, EvictsTheLeastRecentlyUsedBlockToItsOwnFile) {
    ScratchDir dir;
    Cache c(1000, 300, dir.Path().c_str(), 4);  // three slots
    for (int i = 0; i < 3; ++i)
        c.Put(i);
    EXPECT_TRUE(c.Has(0));  // in memory: no disk, and now the most recently used
    EXPECT_TRUE(dir.List().empty());
    c.Put(3);  // evicts item 1
    EXPECT_EQ(dir.List(), Names{"GLGC1.tmp"});
    EXPECT_EQ(ReadWholeFile(dir.File("GLGC1.tmp")), Pattern(300, 1, 0));
    EXPECT_TRUE(c.Has(1));  // back in the slot of item 2, now the oldest
    EXPECT_EQ(dir.List(), (Names{"GLGC1.tmp", "GLGC2.tmp"}));
    EXPECT_TRUE(c.Has(2) && c.Has(3) && c.Has(0) && c.Has(1));
}

TEST(GLIB_GenCache, RandomAccessUnderPressureStaysByteExact) {
    TmpDirScope tmp;  // no folder given: block files go to the temporary folder
    constexpr int ItemCount = 11;
    std::mt19937 random(20240611);
    Cache c(257 * 3 + 100, 257, nullptr, ItemCount);
    ASSERT_EQ(c.cache.SlotCount(), 3);
    std::vector<int> version(ItemCount, -1);  // -1: never filled
    for (int step = 0; step < 3000; ++step) {
        const int i = static_cast<int>(random() % ItemCount);
        if (version[i] < 0 || random() % 3 == 0)
            c.Put(i, ++version[i]);
        else
            ASSERT_TRUE(c.Has(i, version[i])) << "step " << step << ", item " << i;
    }
    EXPECT_GT(tmp.Dir().List().size(), 3u);
    c.cache.Clear(false);
    EXPECT_TRUE(tmp.Dir().List().empty());
}

TEST(GLIB_GenCache, AFailedSpillThrowsAndLeavesTheCacheUsable) {
    ScratchDir dir;
    const std::string folder = dir.File("spill");
    Cache c(600, 300, folder.c_str(), 3);  // the folder does not exist yet
    c.Put(0);
    c.Put(1);
    try {
        c.cache.Block(c.items[2], false);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), GLIB_BasicIOCode);
        EXPECT_EQ(std::string(e.What()).find("GLIB_BasicIO Open : No such file or directory : " + folder + "\\GLGC"),
                  0u);
    }
    // The victim kept its slot and its bytes; no slot was lost.
    EXPECT_EQ(c.cache.FreeCount(), 0);
    EXPECT_TRUE(c.Has(0) && c.Has(1));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    c.Put(2);  // now the same request succeeds
    EXPECT_TRUE(c.Has(0) && c.Has(1) && c.Has(2));
}

TEST(GLIB_GenCache, AFailedReloadThrowsAndGivesTheSlotBack) {
    ScratchDir dir;
    for (bool removed : {true, false}) {
        SCOPED_TRACE(removed ? "removed" : "truncated");
        Cache c(600, 300, dir.Path().c_str(), 3);
        for (int i : {0, 1, 2})
            c.Put(i);  // item 0 goes to disk
        const std::string file = dir.File("GLGC0.tmp");
        ASSERT_EQ(removed ? unlink(file.c_str()) : truncate(file.c_str(), 299), 0);
        // Reloading 0 evicts 1 first, then fails: 0's bytes are not there to hand back.
        const size_t descriptors = OpenDescriptors();
        try {
            c.Has(0);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), GLIB_BasicIOCode);
        }
        EXPECT_EQ(OpenDescriptors(), descriptors);
        EXPECT_EQ(c.cache.FreeCount(), 1);
        EXPECT_TRUE(c.Has(1) && c.Has(2));  // 1 into the free slot, evicting nobody
        EXPECT_THROW(c.Has(0), GLIB_Exception);
        c.Put(0, 1);  // but it may be overwritten
        EXPECT_TRUE(c.Has(1) && c.Has(2) && c.Has(0, 1));
        c.cache.Clear(true);
        EXPECT_TRUE(dir.List().empty());
    }
}

TEST(GLIB_GenCache, NoSlotNoBlock) {
    ScratchDir dir;
    GLIB_GenCache cache(1000, dir.Path().c_str());
    auto item = cache.NewItem();
    EXPECT_EQ(cache.Block(item, false), nullptr);  // no block size yet
    cache.SetBlockSize(2000);                      // larger than the pool
    EXPECT_EQ(cache.Block(item = cache.NewItem(), false), nullptr);
    cache.Clear(true);
    cache.SetBlockSize(10);  // a freed pool has no slots, whatever the block size
    EXPECT_EQ(cache.SlotCount(), 0);
}

TEST(GLIB_GenCache, NamesAreNewAndAPlantedLinkIsNeverWrittenThrough) {
    ScratchDir dir;
    WriteWholeFile(dir.File("GLGC0.tmp"), "someone else's");
    WriteWholeFile(dir.File("precious"), "precious");
    Cache c(100, 100, dir.Path().c_str(), 2);
    EXPECT_EQ(c.items[0]->name, "GLGC1.tmp");
    // Planted after the name was chosen, before the first spill.
    ASSERT_EQ(symlink(dir.File("precious").c_str(), dir.File("GLGC1.tmp").c_str()), 0);
    c.Put(0);
    c.Put(1);  // spills item 0 under another name
    EXPECT_TRUE(c.Has(0));
    c.cache.SetBlockSize(100);  // deletes the items and their files
    EXPECT_EQ(c.cache.NewItem()->name, "GLGC4.tmp");  // 3 held item 0; names are never reused
    EXPECT_EQ(dir.List(), (Names{"GLGC0.tmp", "GLGC1.tmp", "precious"}));
    EXPECT_EQ(ReadWholeFile(dir.File("GLGC0.tmp")) + ReadWholeFile(dir.File("precious")), "someone else'sprecious");
}
