// Any number of equal-size blocks (items) in a fixed pool of memory: the
// least recently used block in memory spills to a file of its own,
// "GLGC<n>.tmp", and is read back when it is next asked for.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

// One item: where its block is and whether its file holds a copy.
struct iGLIB_GenCacheList {
    enum State : int32_t { New = 0, InMemory = 1, OnDisk = 2 };

    int32_t unused = 0;
    std::string name;       // its block file's name
    int32_t slot = -1;      // the slot it occupies, -1 for none
    uint8_t* block = nullptr;
    int32_t state = New;
    bool written = false;   // its block file exists, made by this cache
};

struct GLIB_GenCacheSlot {
    uint8_t* address;
    bool free;
};

class GLIB_GenCache {
public:
    // The caller's handle of an item; it stays valid while the item lives.
    using ItemPosition = std::list<iGLIB_GenCacheList>::iterator;

    // A pool of poolSize bytes; block files go to directory (null: the
    // system temporary folder). No block size yet, so no slots.
    GLIB_GenCache(uint32_t poolSize, const char* directory);
    // Clear(true).
    ~GLIB_GenCache();
    GLIB_GenCache(const GLIB_GenCache&) = delete;
    GLIB_GenCache& operator=(const GLIB_GenCache&) = delete;

    // Deletes every item and its block file (the pool stays), then cuts the
    // pool into poolSize / size slots of size bytes, all free. Size 0 (or a
    // freed pool) leaves no slots.
    void SetBlockSize(uint32_t size);
    // A new item, not in memory, named after the first "GLGC%d.tmp" of the
    // counter that no file has yet. No file is made until it spills.
    ItemPosition NewItem();
    // The address of the item's block of block-size bytes, or null when the
    // cache has no slot to give. The item becomes the most recently used and
    // item is updated. An item not in memory takes a free slot, or the slot
    // of the least recently used item in memory, whose block is first
    // written to its file. With load, a block written earlier is read back.
    // A failed spill or reload throws GLIB_Exception 1125007 and changes
    // nothing else: the victim keeps its slot, the requester stays on disk,
    // a slot freed for it goes back to the free slots.
    uint8_t* Block(ItemPosition& item, bool load);
    // Deletes every item (and the block files of those ever written) and
    // the slots; frees the pool when freePool. Positions become invalid.
    void Clear(bool freePool);

    uint32_t PoolSize() const { return m_poolSize; }
    uint32_t BlockSize() const { return m_blockSize; }
    int32_t SlotCount() const { return m_slotCount; }
    int32_t FreeCount() const { return m_freeCount; }
    size_t ItemCount() const { return m_items.size(); }
    bool HasPool() const { return m_pool != nullptr; }

private:
    const char* Directory() const { return m_hasDirectory ? m_directory.c_str() : nullptr; }
    std::string NextName();
    void WriteBlock(iGLIB_GenCacheList& item);
    void ReadBlock(iGLIB_GenCacheList& item, uint8_t* address);
    void ReleaseSlot(int32_t slot);

    bool m_hasDirectory;
    std::string m_directory;
    int32_t m_freeCount;
    std::vector<GLIB_GenCacheSlot> m_slots;
    std::list<iGLIB_GenCacheList> m_items;  // most recently used first
    uint32_t m_poolSize;
    int32_t m_slotCount;
    uint32_t m_blockSize;
    uint8_t* m_pool;
    uint32_t m_tempCounter;
};
