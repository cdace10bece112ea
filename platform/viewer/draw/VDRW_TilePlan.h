/* Which tiling patterns of a page's drawing are drawn cell by cell
 * (VDRW_SnapDevice.h) and which are left to MuPDF's tiling, decided once
 * for all the bands of a drawing, before any is drawn.
 *
 * One budget, kVDRW_MostCellWork (VDRW_CellWork.h's units), covers the
 * whole page: each use of a pattern, in content order, spends its cells'
 * work on the page while the budget holds it; a use the budget cannot
 * hold, and every later use of the same placing, goes to MuPDF's tiling.
 * So the choice depends on the page and the drawing's matrix alone, never
 * on the bands, their order or the threads, and a page of many patterns
 * costs at most about the budget more than MuPDF's tiling of it.
 *
 * A use is found again by its placing (VDRW_Tile, every field, as
 * begin_tile gives it): the bands run the same list through the same
 * matrix, so they give the same numbers. Uses alike in every field are
 * drawn alike. */
#ifndef VDRW_TILEPLAN_H
#define VDRW_TILEPLAN_H

#include <mupdf/fitz.h>

#include "VDRW_CellWork.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VDRW_TilePlan VDRW_TilePlan;

/* The most work (VDRW_CellWork.h) the patterns of one page may cost drawn
 * cell by cell, over all bands of one ink: a unit costs the program about
 * a microsecond, so the cell by cell drawing of a page costs at most a
 * fraction of a second more than MuPDF's tiling of it. */
#define kVDRW_MostCellWork 250000.0

/* The plan of list (a page's contents, with runs, or null, its runs of
 * soft-masked marks recorded apart) drawn through ctm onto page (device
 * pixels, the whole page whatever part a drawing shows). Errors of MuPDF
 * pass through; nothing is left allocated. */
VDRW_TilePlan* VDRW_NewTilePlan(fz_context* ctx, fz_display_list* list, const VDRW_MaskRuns* runs, fz_matrix ctm,
                                fz_rect page);
void VDRW_DropTilePlan(fz_context* ctx, VDRW_TilePlan* plan);

enum { VDRW_TileUnplanned = -1, VDRW_TileTiled = 0, VDRW_TileByCell = 1 };

/* The choice for a use (VDRW_TileUnplanned for a placing the plan has not
 * met, or a null plan). Read by any number of threads at once. */
int VDRW_PlannedTile(const VDRW_TilePlan* plan, const VDRW_Tile* tile);

#ifdef __cplusplus
}
#endif

#endif
