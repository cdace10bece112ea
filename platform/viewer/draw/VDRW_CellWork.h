/* What drawing a tiling pattern cell by cell costs, read from its recorded
 * cell alone, so that the choice between cell by cell and MuPDF's tiling
 * is the same for every band and every number of threads.
 *
 * The unit is about one path segment rasterised. A cell's work is one for
 * its own drawing (a cell with no marks costs too) and one per command,
 * plus a path's segments (a curve counts as the segments it is
 * flattened into), a text's glyphs (a Type 3 glyph too large for MuPDF's
 * glyph cache: its charproc's work and its box's pixels), an image's
 * pixels, a mesh's triangles, the device pixels that a mask, a group, a
 * clip or a shading covers (as far as the page's size), and for a pattern inside the cell
 * its own cells times their work, however deep the patterns nest. A cell
 * that cannot be weighed (patterns nested past any real file, a step of
 * zero, an unbounded area) weighs HUGE_VAL.
 *
 * The cells counted are those the drawing draws: VDRW_TileCells gives both
 * the count and the loop's range. */
#ifndef VDRW_CELLWORK_H
#define VDRW_CELLWORK_H

#include <mupdf/fitz.h>

#include "VDRW_MaskRuns.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A tiling pattern's placing, as begin_tile gives it. */
typedef struct VDRW_Tile {
    fz_rect m_area, m_view;
    float m_xstep, m_ystep;
    fz_matrix m_ctm;
    int m_id;
} VDRW_Tile;

/* The work of one drawing of cell (a display list of a cell's marks in
 * device space); page is the drawing's page in device pixels. Errors of
 * MuPDF pass through. */
double VDRW_CellWork(fz_context* ctx, fz_display_list* cell, fz_rect page);

/* Told, in content order, each pattern of a page not inside another and
 * the work of drawing its cells on the page, HUGE_VAL for more than was
 * left (its weighing stops there); answers the budget left. */
typedef double(VDRW_TileSpent)(void* arg, const VDRW_Tile* tile, double work);

/* Asked before such a pattern's cells are weighed: non-zero when its
 * placing is already left to MuPDF's tiling, and its cells are not
 * weighed (spent is told HUGE_VAL). */
typedef int(VDRW_TileSettled)(void* arg, const VDRW_Tile* tile);

/* Weighs the patterns of list (a page's contents) drawn through ctm onto
 * page (device pixels) for spent, in one pass, budget left at first; the
 * runs of soft-masked marks recorded apart from list (runs, or null) are
 * weighed where their marks stand in it. Each mesh is decoded once however
 * often the page paints it. Errors of MuPDF and of spent pass through. */
void VDRW_WeighTiles(fz_context* ctx, fz_display_list* list, const VDRW_MaskRuns* runs, fz_matrix ctm,
                     fz_rect page, double budget, VDRW_TileSpent* spent, VDRW_TileSettled* settled, void* arg);

/* Test counter, over every weighing and thread since the last reset: the
 * meshes decoded to count their triangles. */
void VDRW_ResetMeshCount(void);
size_t VDRW_MeshesDecoded(void);
/* Test hook: non-zero starts every mesh's probe at one slot, so that the
 * table steps past every mesh counted before; 0 at first. */
void VDRW_CollideMeshSlots(int collide);

/* The steps i, from *first on, whose cell [lo, hi] + i × step may meet
 * [from, to] and comes within margin of it (step not zero); their count,
 * 0 for none. */
double VDRW_CellSteps(double from, double to, double lo, double hi, double step, double margin, double* first);

/* Cells (i0 + i) × xstep, (j0 + j) × ystep for i below columns, j below
 * rows. */
typedef struct VDRW_CellRange {
    double m_i0, m_j0, m_columns, m_rows;
} VDRW_CellRange;

/* The cells of a pattern that can ink its area (pattern space) within
 * device (device pixels, widened by one): view is the cell's box, xstep
 * and ystep its steps, ctm pattern space to device. A cell is drawn whole
 * pixels away from its place, so one that comes within a few pixels of the
 * area counts; no cell is counted when no column or no row comes near.
 * Their count, and in *range (may be NULL) where they are; HUGE_VAL, and
 * an empty range, for a zero step, an unbounded area, a flat ctm or more
 * cells than a double holds. */
double VDRW_TileCells(fz_rect area, fz_rect view, float xstep, float ystep, fz_matrix ctm, fz_rect device,
                      VDRW_CellRange* range);

#ifdef __cplusplus
}
#endif

#endif
