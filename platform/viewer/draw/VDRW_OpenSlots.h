/* The open addressing shared by the drawing's tables (image parts by size,
 * pattern placings, meshes by address): a key's probe starts at its mixed
 * hash (a placing's hash of its bytes is its own start) and steps one slot
 * at a time over a power of two of slots, grown twice over before they
 * would be more than half full, so that a page of
 * many entries is planned in time linear in their number. Each table
 * keeps its own entries, tells a free slot from one holding its key, and
 * places its entries again when it grows. */
#ifndef VDRW_OPENSLOTS_H
#define VDRW_OPENSLOTS_H

#include <stdint.h>

/* The first slot of key among slotCount (a power of two). Keys in a row
 * (sizes, addresses) are mixed so that they do not crowd into
 * neighbouring slots. */
static inline int VDRW_FirstSlot(uint64_t key, int slotCount) {
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    key *= 0xc4ceb9fe1a85ec53ULL;
    key ^= key >> 33;
    return (int)(key & (uint64_t)(slotCount - 1));
}

/* The slot probed after slot, the last one followed by the first. */
static inline int VDRW_NextSlot(int slot, int slotCount) { return (slot + 1) & (slotCount - 1); }

/* Whether a table of count entries in slotCount slots grows before it
 * takes one more. */
static inline int VDRW_SlotsFull(int count, int slotCount) { return 2 * (count + 1) > slotCount; }

#endif
