// The block cache: slots, eviction of the least recently used block to its
// file, reloading, names, and failures that leave the cache usable.
#include "GLIB/GLIB_GenCache.h"

#include "GLIB/GLIB_BasicIO.h"
#include "GLIB/GLIB_Exception.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The bytes item `id` holds in its `version`th filling.
std::vector<uint8_t> Pattern(uint32_t size, int id, int version) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = static_cast<uint32_t>(id * 7919 + version * 104729 + 1);
    for (uint8_t& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

void Fill(uint8_t* block, const std::vector<uint8_t>& bytes) { std::memcpy(block, bytes.data(), bytes.size()); }

bool Holds(const uint8_t* block, const std::vector<uint8_t>& bytes) {
    return block && std::memcmp(block, bytes.data(), bytes.size()) == 0;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(GLIB_GenCache, ThreeSlotsOfThreeHundredEvictAndReloadByteForByte) {
    ScratchDir dir;
    GLIB_GenCache cache(1000, dir.Path().c_str());
    cache.SetBlockSize(300);
    EXPECT_EQ(cache.SlotCount(), 3);
    EXPECT_EQ(cache.FreeCount(), 3);

    std::vector<GLIB_GenCache::ItemPosition> items;
    for (int i = 0; i < 4; ++i)
        items.push_back(cache.NewItem());
    for (int i = 0; i < 3; ++i)
        Fill(cache.Block(items[i], false), Pattern(300, i, 0));
    EXPECT_EQ(cache.FreeCount(), 0);
    EXPECT_TRUE(dir.List().empty());  // nothing spilled yet

    // The fourth evicts the least recently used: item 0, to its own file.
    uint8_t* fourth = cache.Block(items[3], false);
    ASSERT_NE(fourth, nullptr);
    Fill(fourth, Pattern(300, 3, 0));
    EXPECT_EQ(dir.List(), Names{"GLGC0.tmp"});
    const std::string spilled = ReadWholeFile(dir.File("GLGC0.tmp"));
    const std::vector<uint8_t> expected = Pattern(300, 0, 0);
    EXPECT_EQ(spilled, std::string(expected.begin(), expected.end()));

    // Item 0 comes back into the slot that item 1 (now the oldest) gives up.
    uint8_t* back = cache.Block(items[0], true);
    EXPECT_TRUE(Holds(back, Pattern(300, 0, 0)));
    EXPECT_EQ(dir.List(), (Names{"GLGC0.tmp", "GLGC1.tmp"}));
    EXPECT_TRUE(Holds(cache.Block(items[1], true), Pattern(300, 1, 0)));
    EXPECT_TRUE(Holds(cache.Block(items[2], true), Pattern(300, 2, 0)));
    EXPECT_TRUE(Holds(cache.Block(items[3], true), Pattern(300, 3, 0)));
}

TEST(GLIB_GenCache, BlocksInMemoryNeverTouchTheDisk) {
    ScratchDir dir;
    const std::string folder = dir.File("cache");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    GLIB_GenCache cache(900, folder.c_str());
    cache.SetBlockSize(300);
    std::vector<GLIB_GenCache::ItemPosition> items;
    std::vector<uint8_t*> blocks;
    for (int i = 0; i < 3; ++i) {
        items.push_back(cache.NewItem());
        blocks.push_back(cache.Block(items[i], false));
        Fill(blocks[i], Pattern(300, i, 0));
    }
    // Without a folder any disk access would fail.
    ASSERT_EQ(rmdir(folder.c_str()), 0);
    for (int round = 0; round < 3; ++round)
        for (int i = 2; i >= 0; --i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(cache.Block(items[i], true), blocks[i]);
        }
    // Asking reordered the list: item 0 is now the most recently used, so a
    // new item would evict item 2, whose spill fails without its folder.
    auto fresh = cache.NewItem();
    EXPECT_THROW(cache.Block(fresh, false), GLIB_Exception);
    EXPECT_TRUE(Holds(cache.Block(items[2], true), Pattern(300, 2, 0)));
}

TEST(GLIB_GenCache, AFailedSpillThrowsAndLeavesTheCacheUsable) {
    ScratchDir dir;
    const std::string folder = dir.File("spill");
    GLIB_GenCache cache(600, folder.c_str());  // the folder does not exist yet
    cache.SetBlockSize(300);
    auto a = cache.NewItem();
    auto b = cache.NewItem();
    auto c = cache.NewItem();
    Fill(cache.Block(a, false), Pattern(300, 0, 0));
    Fill(cache.Block(b, false), Pattern(300, 1, 0));
    try {
        cache.Block(c, false);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), GLIB_BasicIOCode);
        EXPECT_EQ(std::string(e.What()).find("GLIB_BasicIO Open : No such file or directory : " + folder + "\\GLGC"),
                  0u);
    }
    // The victim kept its slot and its bytes; no slot was lost.
    EXPECT_EQ(cache.FreeCount(), 0);
    EXPECT_TRUE(Holds(cache.Block(a, true), Pattern(300, 0, 0)));
    EXPECT_TRUE(Holds(cache.Block(b, true), Pattern(300, 1, 0)));

    // Once the folder is there the same request succeeds, evicting a.
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    Fill(cache.Block(c, false), Pattern(300, 2, 0));
    EXPECT_TRUE(Holds(cache.Block(a, true), Pattern(300, 0, 0)));
    EXPECT_TRUE(Holds(cache.Block(b, true), Pattern(300, 1, 0)));
    EXPECT_TRUE(Holds(cache.Block(c, true), Pattern(300, 2, 0)));
}

TEST(GLIB_GenCache, AFailedReloadThrowsAndGivesTheSlotBack) {
    ScratchDir dir;
    enum Damage { Removed, Truncated };
    for (Damage damage : {Removed, Truncated}) {
        SCOPED_TRACE(damage);
        GLIB_GenCache cache(600, dir.Path().c_str());
        cache.SetBlockSize(300);
        auto a = cache.NewItem();
        auto b = cache.NewItem();
        auto c = cache.NewItem();
        Fill(cache.Block(a, false), Pattern(300, 0, 0));
        Fill(cache.Block(b, false), Pattern(300, 1, 0));
        Fill(cache.Block(c, false), Pattern(300, 2, 0));  // a goes to disk
        ASSERT_EQ(dir.List().size(), 1u);
        const std::string file = dir.File(dir.List()[0]);
        if (damage == Removed)
            ASSERT_EQ(unlink(file.c_str()), 0);
        else
            ASSERT_EQ(truncate(file.c_str(), 299), 0);

        // Reloading a evicts b first, then fails: a's bytes are not there to hand back.
        EXPECT_THROW(cache.Block(a, true), GLIB_Exception);
        EXPECT_EQ(cache.FreeCount(), 1);
        // b is on disk and reloads; it takes the free slot without evicting c.
        EXPECT_TRUE(Holds(cache.Block(b, true), Pattern(300, 1, 0)));
        EXPECT_EQ(cache.FreeCount(), 0);
        EXPECT_TRUE(Holds(cache.Block(c, true), Pattern(300, 2, 0)));
        // a still cannot come back with its old bytes, but may be overwritten.
        EXPECT_THROW(cache.Block(a, true), GLIB_Exception);
        uint8_t* fresh = cache.Block(a, false);
        ASSERT_NE(fresh, nullptr);
        Fill(fresh, Pattern(300, 0, 1));
        EXPECT_TRUE(Holds(cache.Block(b, true), Pattern(300, 1, 0)));
        EXPECT_TRUE(Holds(cache.Block(c, true), Pattern(300, 2, 0)));
        EXPECT_TRUE(Holds(cache.Block(a, true), Pattern(300, 0, 1)));
        cache.Clear(true);
        EXPECT_TRUE(dir.List().empty());
    }
}

TEST(GLIB_GenCache, NoBlocksWithoutABlockSize) {
    ScratchDir dir;
    GLIB_GenCache cache(1000, dir.Path().c_str());
    auto item = cache.NewItem();
    EXPECT_EQ(cache.Block(item, true), nullptr);  // no block size set yet
    cache.SetBlockSize(0);
    item = cache.NewItem();
    EXPECT_EQ(cache.Block(item, false), nullptr);
    cache.SetBlockSize(2000);  // larger than the pool: no slot
    item = cache.NewItem();
    EXPECT_EQ(cache.Block(item, false), nullptr);
    EXPECT_EQ(cache.SlotCount(), 0);
    // A freed pool has no slots either, whatever the block size.
    cache.SetBlockSize(100);
    EXPECT_EQ(cache.FreeCount(), 10);
    cache.Clear(true);
    EXPECT_EQ(cache.FreeCount(), 0);
    item = cache.NewItem();
    EXPECT_EQ(cache.Block(item, false), nullptr);
    cache.SetBlockSize(10);
    item = cache.NewItem();
    EXPECT_EQ(cache.Block(item, false), nullptr);
    EXPECT_TRUE(dir.List().empty());
}

TEST(GLIB_GenCache, NamesSkipExistingFilesAndAreNeverReused) {
    ScratchDir dir;
    WriteWholeFile(dir.File("GLGC0.tmp"), "someone else's");
    GLIB_GenCache cache(100, dir.Path().c_str());
    cache.SetBlockSize(100);
    auto first = cache.NewItem();
    EXPECT_EQ(first->name, "GLGC1.tmp");
    auto second = cache.NewItem();
    EXPECT_EQ(second->name, "GLGC2.tmp");
    cache.SetBlockSize(100);  // deletes both items
    auto third = cache.NewItem();
    EXPECT_EQ(third->name, "GLGC3.tmp");
    EXPECT_EQ(ReadWholeFile(dir.File("GLGC0.tmp")), "someone else's");
}

TEST(GLIB_GenCache, APlantedFileOrLinkIsNeverWrittenThrough) {
    ScratchDir dir;
    const std::string target = dir.File("precious");
    WriteWholeFile(target, "precious");
    GLIB_GenCache cache(100, dir.Path().c_str());
    cache.SetBlockSize(100);
    auto a = cache.NewItem();
    auto b = cache.NewItem();
    ASSERT_EQ(a->name, "GLGC0.tmp");
    // Planted after the name was chosen, before the first spill.
    ASSERT_EQ(symlink(target.c_str(), dir.File("GLGC0.tmp").c_str()), 0);
    Fill(cache.Block(a, false), Pattern(100, 0, 0));
    Fill(cache.Block(b, false), Pattern(100, 1, 0));  // spills a under another name
    EXPECT_NE(a->name, "GLGC0.tmp");
    EXPECT_NE(a->name, b->name);
    EXPECT_EQ(ReadWholeFile(target), "precious");
    EXPECT_TRUE(Holds(cache.Block(a, true), Pattern(100, 0, 0)));
    cache.Clear(true);
    // Only the cache's own files went; the link is not the cache's.
    EXPECT_EQ(dir.List(), (Names{"GLGC0.tmp", "precious"}));
}

TEST(GLIB_GenCache, RandomAccessUnderPressureStaysByteExact) {
    TmpDirScope tmp;  // no folder given: block files go to the temporary folder
    constexpr uint32_t BlockSize = 257;
    constexpr int ItemCount = 11;
    std::mt19937 random(20240611);
    {
        GLIB_GenCache cache(BlockSize * 3 + 100, nullptr);
        cache.SetBlockSize(BlockSize);
        ASSERT_EQ(cache.SlotCount(), 3);
        std::vector<GLIB_GenCache::ItemPosition> items;
        std::vector<int> version(ItemCount, -1);  // -1: never filled
        for (int i = 0; i < ItemCount; ++i)
            items.push_back(cache.NewItem());
        for (int step = 0; step < 3000; ++step) {
            SCOPED_TRACE(step);
            const int i = static_cast<int>(random() % ItemCount);
            const bool rewrite = version[i] < 0 || random() % 3 == 0;
            uint8_t* block = cache.Block(items[i], !rewrite);
            ASSERT_NE(block, nullptr);
            if (rewrite) {
                Fill(block, Pattern(BlockSize, i, ++version[i]));
            } else {
                ASSERT_TRUE(Holds(block, Pattern(BlockSize, i, version[i]))) << "item " << i;
            }
        }
        EXPECT_GT(tmp.Dir().List().size(), 3u);
        for (const std::string& name : tmp.Dir().List())
            EXPECT_EQ(name.compare(0, 4, "GLGC"), 0) << name;
        cache.Clear(false);
        EXPECT_TRUE(tmp.Dir().List().empty());
        EXPECT_TRUE(cache.HasPool());

        // Spilled again, then gone with the cache.
        cache.SetBlockSize(BlockSize);
        std::vector<GLIB_GenCache::ItemPosition> again;
        for (int i = 0; i < 5; ++i) {
            again.push_back(cache.NewItem());
            Fill(cache.Block(again.back(), false), Pattern(BlockSize, i, 0));
        }
        EXPECT_EQ(tmp.Dir().List().size(), 2u);
    }
    EXPECT_TRUE(tmp.Dir().List().empty());
}

TEST(GLIB_GenCache, ChangingTheBlockSizeDeletesEveryItemAndFile) {
    ScratchDir dir;
    GLIB_GenCache cache(100, dir.Path().c_str());
    cache.SetBlockSize(50);
    std::vector<GLIB_GenCache::ItemPosition> items;
    for (int i = 0; i < 4; ++i) {
        items.push_back(cache.NewItem());
        Fill(cache.Block(items.back(), false), Pattern(50, i, 0));
    }
    EXPECT_EQ(dir.List().size(), 2u);
    cache.SetBlockSize(25);
    EXPECT_TRUE(dir.List().empty());
    EXPECT_EQ(cache.ItemCount(), 0u);
    EXPECT_EQ(cache.SlotCount(), 4);
    EXPECT_EQ(cache.FreeCount(), 4);
}

TEST(GLIB_BasicIO, ModesPathsAndFailures) {
    ScratchDir dir;
    const std::vector<uint8_t> bytes = Pattern(64, 1, 1);
    {
        GLIB_BasicIO out(dir.Path().c_str(), "blk", GLIB_BasicIO::WriteMode);
        out.Open();
        EXPECT_EQ(out.PathName(), dir.File("blk"));
        out.Write(bytes.data(), 64);
        out.Close();
        EXPECT_EQ(out.GetStatus(), GLIB_BasicIO::Closed);
    }
    EXPECT_TRUE(GLIB_BasicIO::Exists(dir.Path().c_str(), "blk"));
    {
        // A second write of the same name is refused: writes only make new files.
        GLIB_BasicIO again(dir.Path().c_str(), "blk", GLIB_BasicIO::WriteMode);
        EXPECT_THROW(again.Open(), GLIB_Exception);
        EXPECT_EQ(again.LastErrno(), EEXIST);
        EXPECT_EQ(again.GetStatus(), GLIB_BasicIO::Failed);
    }
    {
        GLIB_BasicIO in(dir.Path().c_str(), "blk", GLIB_BasicIO::ReadMode);
        in.Open();
        std::vector<uint8_t> back(64);
        in.Read(back.data(), 64);
        EXPECT_EQ(back, bytes);
        try {
            in.Read(back.data(), 1);  // past the end
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), GLIB_BasicIOCode);
            EXPECT_EQ(std::string(e.What()).find("GLIB_BasicIO Read : "), 0u);
        }
    }
    {
        GLIB_BasicIO odd(dir.Path().c_str(), "blk", 7);
        EXPECT_THROW(odd.Open(), GLIB_Exception);
    }
    EXPECT_TRUE(GLIB_BasicIO::Remove(dir.Path().c_str(), "blk"));
    EXPECT_FALSE(GLIB_BasicIO::Remove(dir.Path().c_str(), "blk"));
    EXPECT_FALSE(GLIB_BasicIO::Exists(dir.Path().c_str(), "blk"));
    // An empty folder means the name alone.
    GLIB_BasicIO bare("", "relative-name", GLIB_BasicIO::ReadMode);
    EXPECT_THROW(bare.Open(), GLIB_Exception);
    EXPECT_EQ(bare.PathName(), "relative-name");
}
