/* What drawing a tiling pattern cell by cell costs, read from its recorded
 * cell alone, so that the choice between cell by cell and MuPDF's tiling
 * is the same for every band and every number of threads.
 *
 * The unit is about one path segment rasterised. A cell's work is one for
 * its own drawing (a cell with no marks costs too) and one per command,
 * plus a path's segments (a curve counts as the segments it is
 * flattened into), a text's glyphs, an image's pixels, a shading's fixed
 * share, and for a pattern inside the cell its own cells times their work,
 * however deep the patterns nest. A cell that cannot be weighed (patterns
 * nested past any real file, a step of zero, an unbounded area) weighs
 * HUGE_VAL. */
#ifndef VDRW_CELLWORK_H
#define VDRW_CELLWORK_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The work of one drawing of cell (a display list of a cell's marks, in any
 * space). Errors of MuPDF pass through. */
double VDRW_CellWork(fz_context* ctx, fz_display_list* cell);

/* The steps i, from *first on, whose cell [lo, hi] + i × step may meet
 * [from, to]; their count. */
double VDRW_CellSteps(double from, double to, double lo, double hi, double step, double* first);

/* The cells of a pattern that overlap area (pattern space) by more than an
 * edge: view is the cell's box, xstep and ystep its steps; HUGE_VAL for a
 * zero step or an unbounded area. */
double VDRW_PatternCells(fz_rect area, fz_rect view, float xstep, float ystep);

#ifdef __cplusplus
}
#endif

#endif
