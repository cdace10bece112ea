/* A few freed large blocks kept for reuse, so that MuPDF's tiles and band
 * pixmaps (tens of megabytes, above the C library's mmap threshold) are not
 * mapped, cleared by the kernel and unmapped again for every band.
 *
 * Only blocks of at least minBlock bytes are kept, at most maxBlocks of them
 * and maxBytes in all; a block is reused for a request it fits with less
 * than a quarter left over. Everything else goes straight to malloc, realloc
 * and free. Thread-safe. */
#ifndef VDRW_BLOCKCACHE_H
#define VDRW_BLOCKCACHE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VDRW_BlockCacheRec_ VDRW_BlockCache;

/* Null when out of memory. */
VDRW_BlockCache* VDRW_NewBlockCache(size_t minBlock, int maxBlocks, size_t maxBytes);
/* Frees the kept blocks too; blocks still in use stay the caller's. */
void VDRW_DropBlockCache(VDRW_BlockCache* cache);

void* VDRW_BlockAlloc(VDRW_BlockCache* cache, size_t size);
void* VDRW_BlockRealloc(VDRW_BlockCache* cache, void* block, size_t size);
void VDRW_BlockFree(VDRW_BlockCache* cache, void* block);

/* Frees the kept blocks (between drawings). */
void VDRW_BlockTrim(VDRW_BlockCache* cache);
/* How many blocks are kept now. */
int VDRW_BlocksKept(VDRW_BlockCache* cache);

#ifdef __cplusplus
}
#endif

#endif
