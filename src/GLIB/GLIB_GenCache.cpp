#include "GLIB/GLIB_GenCache.h"

#include "GLIB/GLIB_BasicIO.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLIB/GLIB_StringUtil.h"

#include <cerrno>

namespace {

// Names taken by files that appeared after NewItem checked them; past this
// many in a row the spill fails.
constexpr int MaxNameClashes = 1000;
constexpr size_t NameBytes = 32;

}  // namespace

GLIB_GenCache::GLIB_GenCache(uint32_t poolSize, const char* directory)
    : m_hasDirectory(directory != nullptr), m_directory(directory ? directory : ""), m_freeCount(0),
      m_poolSize(poolSize), m_slotCount(0), m_blockSize(0), m_pool(nullptr), m_tempCounter(0) {
    m_pool = GLIB_NEW uint8_t[poolSize];
}

GLIB_GenCache::~GLIB_GenCache() { Clear(true); }

void GLIB_GenCache::Clear(bool freePool) {
    if (freePool) {
        delete[] m_pool;
        m_pool = nullptr;
    }
    m_slots.clear();
    // No slot array is left, so no slot may be counted as free.
    m_slotCount = 0;
    m_freeCount = 0;
    for (const iGLIB_GenCacheList& item : m_items)
        if (item.written)
            GLIB_BasicIO::Remove(Directory(), item.name.c_str());
    m_items.clear();
}

void GLIB_GenCache::SetBlockSize(uint32_t size) {
    Clear(false);
    m_blockSize = size;
    if (size == 0 || m_pool == nullptr)
        return;
    const uint32_t count = m_poolSize / size;
    m_slots.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        m_slots.push_back({m_pool + static_cast<size_t>(i) * size, true});
    m_slotCount = m_freeCount = static_cast<int32_t>(count);
}

std::string GLIB_GenCache::NextName() {
    char name[NameBytes];
    GLIB_Sprintf(name, sizeof name, "GLGC%u.tmp", m_tempCounter++);
    return name;
}

GLIB_GenCache::ItemPosition GLIB_GenCache::NewItem() {
    m_items.emplace_front();
    iGLIB_GenCacheList& item = m_items.front();
    do
        item.name = NextName();
    while (GLIB_BasicIO::Exists(Directory(), item.name.c_str()));
    return m_items.begin();
}

void GLIB_GenCache::WriteBlock(iGLIB_GenCacheList& item) {
    // Every spill makes its file anew and exclusively: the old copy goes
    // first, and a name that something else took meanwhile takes the next.
    if (item.written) {
        GLIB_BasicIO::Remove(Directory(), item.name.c_str());
        item.written = false;
    }
    for (int clash = 0;; ++clash) {
        GLIB_BasicIO io(Directory(), item.name.c_str(), GLIB_BasicIO::WriteMode);
        try {
            io.Open();
        } catch (const GLIB_Exception&) {
            if (io.LastErrno() != EEXIST || clash + 1 >= MaxNameClashes)
                throw;
            item.name = NextName();
            continue;
        }
        try {
            io.Write(item.block, m_blockSize);
            io.Close();
        } catch (...) {
            // A partial file is worth nothing; it must not outlive the failure.
            GLIB_BasicIO::Remove(Directory(), item.name.c_str());
            throw;
        }
        item.written = true;
        return;
    }
}

void GLIB_GenCache::ReadBlock(iGLIB_GenCacheList& item, uint8_t* address) {
    GLIB_BasicIO io(Directory(), item.name.c_str(), GLIB_BasicIO::ReadMode);
    io.Open();
    io.Read(address, m_blockSize);
    io.Close();
}

void GLIB_GenCache::ReleaseSlot(int32_t slot) {
    m_slots[static_cast<size_t>(slot)].free = true;
    ++m_freeCount;
}

uint8_t* GLIB_GenCache::Block(ItemPosition& position, bool load) {
    iGLIB_GenCacheList& item = *position;
    if (item.state == iGLIB_GenCacheList::InMemory) {
        m_items.splice(m_items.begin(), m_items, position);
        position = m_items.begin();
        return item.block;
    }

    int32_t slot = -1;
    if (m_freeCount > 0) {
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i].free) {
                slot = static_cast<int32_t>(i);
                break;
            }
        }
        if (slot >= 0) {
            m_slots[static_cast<size_t>(slot)].free = false;
            --m_freeCount;
        }
    }
    if (slot < 0) {
        auto victim = m_items.end();
        for (auto it = m_items.end(); it != m_items.begin();) {
            --it;
            if (it->state == iGLIB_GenCacheList::InMemory) {
                victim = it;
                break;
            }
        }
        if (victim == m_items.end())
            return nullptr;
        // A failed write leaves the victim in memory with its slot.
        WriteBlock(*victim);
        slot = victim->slot;
        victim->state = iGLIB_GenCacheList::OnDisk;
        victim->slot = -1;
        victim->block = nullptr;
    }

    uint8_t* address = m_slots[static_cast<size_t>(slot)].address;
    if (item.state == iGLIB_GenCacheList::OnDisk && load) {
        try {
            ReadBlock(item, address);
        } catch (...) {
            ReleaseSlot(slot);
            throw;
        }
    }
    item.slot = slot;
    item.block = address;
    item.state = iGLIB_GenCacheList::InMemory;
    m_items.splice(m_items.begin(), m_items, position);
    position = m_items.begin();
    return address;
}
