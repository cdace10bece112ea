/* A document's twin with what MuPDF could not read mended where the file
 * itself shows how, so that a plate drawn from it holds what the file
 * meant: each ink whose plate the twin draws otherwise lost something, and
 * an ink whose plate it draws alike lost nothing.
 *
 * Mended: tokens of a content stream (a page's, a form's, a tiling
 * pattern's, a Type 3 glyph's) that cannot be read, and what a text array
 * cannot show; a simple font whose embedded Flate data stop short (or
 * fail their check) and a glyph the page shows did not draw (nothing drawn
 * for a glyph that is no space, or the font not its own), whose text the
 * twin draws as boxes of the glyphs' widths and the font's height, where
 * any ink the text knocks out shows (a font whose shown glyphs all drew is
 * left as the page read it); a composite font whose embedded map of codes
 * stops before its endcmap, or whose descendant's file is cut and a glyph
 * the page shows did not draw, whose every code the twin draws as a box,
 * as no glyph of the font can stand for the codes lost; and a soft mask
 * whose group draws Flate data that stop short, drawn as the opposite of
 * what the cut group leaves, so that an ink the mask could change draws
 * otherwise and one it cannot draws alike. What cannot be mended (content
 * or images cut short, a font shown inside a Type 3 glyph, which MuPDF
 * will not nest) is left as it is, so the twin loses it too and cannot
 * tell.
 *
 * MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always. */
#ifndef VDRW_MENDED_TWIN_H
#define VDRW_MENDED_TWIN_H

#include <mupdf/pdf.h>

#include "VDRW_MaskRuns.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Mends twin, a second copy of source, in place. A font is mended only
 * where a glyph shown (drawn by the list of source's page, with its runs)
 * failed. */
void VDRW_MendDocument(fz_context* ctx, pdf_document* twin, pdf_document* source, fz_display_list* shown,
                       const VDRW_MaskRuns* runs);

/* Content bytes with each unreadable token, and each element of a text
 * array that is neither a number nor a string, blanked out; null when
 * nothing needs blanking. */
fz_buffer* VDRW_MendedContent(fz_context* ctx, fz_buffer* content);

/* 1 when two lists, recorded in the same user space each with its runs of
 * masked marks (VDRW_MaskRuns.h; null for none), draw otherwise over area
 * (the page), drawn as a band is at pixelsPerPoint (300 dpi for 0), and
 * only where they differ (VDRW_ListDiff.h); a drawing that fails counts as
 * otherwise. */
int VDRW_ListsDrawApart(fz_context* ctx, fz_display_list* a, const VDRW_MaskRuns* aRuns, fz_display_list* b,
                        const VDRW_MaskRuns* bRuns, fz_rect area, double pixelsPerPoint);

#ifdef __cplusplus
}
#endif

#endif
