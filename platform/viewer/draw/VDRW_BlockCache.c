#include "VDRW_BlockCache.h"

#include <malloc.h>
#include <pthread.h>
#include <stdlib.h>

enum { kMostBlocks = 16 };

struct VDRW_BlockCacheRec_ {
    pthread_mutex_t m_mutex;
    size_t m_minBlock;
    int m_maxBlocks;
    size_t m_maxBytes;
    int m_count;
    size_t m_bytes;
    void* m_blocks[kMostBlocks];
    size_t m_sizes[kMostBlocks]; /* usable sizes */
};

VDRW_BlockCache* VDRW_NewBlockCache(size_t minBlock, int maxBlocks, size_t maxBytes) {
    VDRW_BlockCache* cache = calloc(1, sizeof *cache);
    if (!cache)
        return NULL;
    pthread_mutex_init(&cache->m_mutex, NULL);
    cache->m_minBlock = minBlock;
    cache->m_maxBlocks = maxBlocks < 0 ? 0 : maxBlocks > kMostBlocks ? kMostBlocks : maxBlocks;
    cache->m_maxBytes = maxBytes;
    return cache;
}

void VDRW_DropBlockCache(VDRW_BlockCache* cache) {
    if (!cache)
        return;
    VDRW_BlockTrim(cache);
    pthread_mutex_destroy(&cache->m_mutex);
    free(cache);
}

/* The kept block that fits size most closely, taken out of the cache; null
 * when none fits with less than a quarter to spare. Called locked. */
static void* TakeFitting(VDRW_BlockCache* cache, size_t size) {
    int best = -1;
    for (int i = 0; i < cache->m_count; ++i) {
        const size_t have = cache->m_sizes[i];
        if (have >= size && have - size <= size / 4 && (best < 0 || have < cache->m_sizes[best]))
            best = i;
    }
    if (best < 0)
        return NULL;
    void* block = cache->m_blocks[best];
    cache->m_bytes -= cache->m_sizes[best];
    --cache->m_count;
    cache->m_blocks[best] = cache->m_blocks[cache->m_count];
    cache->m_sizes[best] = cache->m_sizes[cache->m_count];
    return block;
}

void* VDRW_BlockAlloc(VDRW_BlockCache* cache, size_t size) {
    if (size >= cache->m_minBlock) {
        pthread_mutex_lock(&cache->m_mutex);
        void* kept = TakeFitting(cache, size);
        pthread_mutex_unlock(&cache->m_mutex);
        if (kept)
            return kept;
    }
    void* block = malloc(size);
    if (!block && size >= cache->m_minBlock) {
        /* What we keep may be what the system lacks. */
        VDRW_BlockTrim(cache);
        block = malloc(size);
    }
    return block;
}

void* VDRW_BlockRealloc(VDRW_BlockCache* cache, void* block, size_t size) {
    if (!block)
        return VDRW_BlockAlloc(cache, size);
    return realloc(block, size);
}

void VDRW_BlockFree(VDRW_BlockCache* cache, void* block) {
    if (!block)
        return;
    const size_t size = malloc_usable_size(block);
    if (size >= cache->m_minBlock) {
        int kept = 0;
        pthread_mutex_lock(&cache->m_mutex);
        if (cache->m_count < cache->m_maxBlocks && cache->m_bytes + size <= cache->m_maxBytes) {
            cache->m_blocks[cache->m_count] = block;
            cache->m_sizes[cache->m_count] = size;
            ++cache->m_count;
            cache->m_bytes += size;
            kept = 1;
        }
        pthread_mutex_unlock(&cache->m_mutex);
        if (kept)
            return;
    }
    free(block);
}

void VDRW_BlockTrim(VDRW_BlockCache* cache) {
    void* blocks[kMostBlocks];
    pthread_mutex_lock(&cache->m_mutex);
    const int count = cache->m_count;
    for (int i = 0; i < count; ++i)
        blocks[i] = cache->m_blocks[i];
    cache->m_count = 0;
    cache->m_bytes = 0;
    pthread_mutex_unlock(&cache->m_mutex);
    for (int i = 0; i < count; ++i)
        free(blocks[i]);
}

int VDRW_BlocksKept(VDRW_BlockCache* cache) {
    pthread_mutex_lock(&cache->m_mutex);
    const int count = cache->m_count;
    pthread_mutex_unlock(&cache->m_mutex);
    return count;
}
