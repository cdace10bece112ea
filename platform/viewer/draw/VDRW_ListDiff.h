/* Where two display lists, recorded in the same user space, can draw
 * otherwise: each list is walked once, its runs of masked marks
 * (VDRW_MaskRuns.h) in their places, and what one holds and the other
 * does not is told by a digest of each call's own values (a path's
 * points, a colour, a font's name and size, a glyph's id and place, never
 * an object's address, which differs between two documents; a Type 3
 * font's glyphs, drawn from their own content at each band, by that
 * content). The lists
 * agree up to the first call that differs and from the last; what lies
 * between can change the pixels only within its reach:
 * - a mark, within its own bounds;
 * - anything inside a soft mask's contents or a tiling pattern's cell,
 *   within all that the mask or pattern reaches (every mark it masks,
 *   until it is popped; the pattern's area and its cell's marks);
 * - a clip, group or pattern begun or ended, within all it holds.
 *
 * MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always. */
#ifndef VDRW_LIST_DIFF_H
#define VDRW_LIST_DIFF_H

#include <mupdf/fitz.h>

#include "VDRW_MaskRuns.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The user-space area outside of which a and b draw alike (either's runs
 * may be null); empty when they hold the same calls. */
fz_rect VDRW_ListsDifferWithin(fz_context* ctx, fz_display_list* a, const VDRW_MaskRuns* aRuns, fz_display_list* b,
                               const VDRW_MaskRuns* bRuns);

#ifdef __cplusplus
}
#endif

#endif
