#include "VDRW_TilePlan.h"

#include <stdint.h>
#include <string.h>

#include "VDRW_OpenSlots.h"

typedef struct Choice {
    VDRW_Tile m_tile;
    int m_byCell;
} Choice;

/* The placings met, open-addressed (VDRW_OpenSlots.h): a page of many
 * uses is planned in time linear in their number. */
struct VDRW_TilePlan {
    Choice* m_slots;
    int* m_used; /* 1 for a slot holding a choice */
    int m_count, m_slotCount;
    double m_left; /* of the budget */
};

static uint64_t Hash(const VDRW_Tile* tile) {
    const unsigned char* bytes = (const unsigned char*)tile;
    uint64_t h = 0xcbf29ce484222325ULL;
    for (size_t i = 0; i < sizeof *tile; ++i)
        h = (h ^ bytes[i]) * 0x100000001b3ULL;
    return h ^ (h >> 29);
}

/* Every field of VDRW_Tile is 4 bytes: no padding in the bytes compared. */
static int Same(const VDRW_Tile* a, const VDRW_Tile* b) { return memcmp(a, b, sizeof *a) == 0; }

static int SlotOf(const VDRW_TilePlan* plan, const VDRW_Tile* tile) {
    /* The tile's bytes are hashed whole: no further mixing. */
    int slot = (int)(Hash(tile) & (uint64_t)(plan->m_slotCount - 1));
    while (plan->m_used[slot] && !Same(&plan->m_slots[slot].m_tile, tile))
        slot = VDRW_NextSlot(slot, plan->m_slotCount);
    return slot;
}

static void Grow(fz_context* ctx, VDRW_TilePlan* plan) {
    const int slotCount = plan->m_slotCount ? plan->m_slotCount * 2 : 64;
    Choice* slots = fz_malloc_array(ctx, slotCount, Choice);
    int* used = NULL;
    fz_try(ctx) used = fz_calloc(ctx, (size_t)slotCount, sizeof *used);
    fz_catch(ctx) {
        fz_free(ctx, slots);
        fz_rethrow(ctx);
    }
    VDRW_TilePlan old = *plan;
    plan->m_slots = slots;
    plan->m_used = used;
    plan->m_slotCount = slotCount;
    for (int i = 0; i < old.m_slotCount; ++i)
        if (old.m_used[i]) {
            const int slot = SlotOf(plan, &old.m_slots[i].m_tile);
            plan->m_slots[slot] = old.m_slots[i];
            plan->m_used[slot] = 1;
        }
    fz_free(ctx, old.m_slots);
    fz_free(ctx, old.m_used);
}

typedef struct Planning {
    fz_context* m_ctx;
    VDRW_TilePlan* m_plan;
} Planning;

/* A use that fits spends its work; one that does not, or whose placing
 * was already left to the tiling, leaves the placing to the tiling (work
 * spent on its earlier uses stays spent). */
static double Spent(void* arg, const VDRW_Tile* tile, double work) {
    Planning* p = arg;
    VDRW_TilePlan* plan = p->m_plan;
    if (VDRW_SlotsFull(plan->m_count, plan->m_slotCount))
        Grow(p->m_ctx, plan);
    const int slot = SlotOf(plan, tile);
    const int known = plan->m_used[slot];
    const int fits = work <= plan->m_left && (!known || plan->m_slots[slot].m_byCell);
    if (fits)
        plan->m_left -= work;
    if (!known) {
        plan->m_used[slot] = 1;
        plan->m_slots[slot].m_tile = *tile;
        ++plan->m_count;
    }
    plan->m_slots[slot].m_byCell = fits;
    return plan->m_left;
}

/* A placing already left to the tiling stays there: its uses are not
 * weighed again. */
static int Settled(void* arg, const VDRW_Tile* tile) {
    const VDRW_TilePlan* plan = ((Planning*)arg)->m_plan;
    if (plan->m_count == 0)
        return 0;
    const int slot = SlotOf(plan, tile);
    return plan->m_used[slot] && !plan->m_slots[slot].m_byCell;
}

VDRW_TilePlan* VDRW_NewTilePlan(fz_context* ctx, fz_display_list* list, const VDRW_MaskRuns* runs, fz_matrix ctm,
                                fz_rect page) {
    VDRW_TilePlan* plan = fz_malloc_struct(ctx, VDRW_TilePlan);
    plan->m_left = kVDRW_MostCellWork;
    Planning planning = {ctx, plan};
    fz_try(ctx) VDRW_WeighTiles(ctx, list, runs, ctm, page, plan->m_left, Spent, Settled, &planning);
    fz_catch(ctx) {
        VDRW_DropTilePlan(ctx, plan);
        fz_rethrow(ctx);
    }
    return plan;
}

void VDRW_DropTilePlan(fz_context* ctx, VDRW_TilePlan* plan) {
    if (!plan)
        return;
    fz_free(ctx, plan->m_slots);
    fz_free(ctx, plan->m_used);
    fz_free(ctx, plan);
}

int VDRW_PlannedTile(const VDRW_TilePlan* plan, const VDRW_Tile* tile) {
    if (!plan || plan->m_count == 0)
        return VDRW_TileUnplanned;
    const int slot = SlotOf(plan, tile);
    if (!plan->m_used[slot])
        return VDRW_TileUnplanned;
    return plan->m_slots[slot].m_byCell ? VDRW_TileByCell : VDRW_TileTiled;
}
