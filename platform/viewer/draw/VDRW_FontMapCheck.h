/* The check of a page's own bytes that tells whether MuPDF's word that a
 * code map ended before its entries did cost a plate anything: MuPDF says
 * it alike of a ToUnicode map, which draws nothing, and of a composite
 * font's own map, whose last entry, cut, may map a code to a wrong glyph.
 * Run only after a reading that heard the word. */
#ifndef VDRW_FONT_MAP_CHECK_H
#define VDRW_FONT_MAP_CHECK_H

#include <mupdf/pdf.h>

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when a composite font the page can draw with (in its resources, its
 * forms', patterns' or glyphs', at any depth) has an embedded code map, or
 * a map it uses, whose data end inside a block of entries (no end word
 * after its last entry), and wherever that cannot be told; 0 otherwise. */
int VDRW_PageFontMapCut(fz_context* ctx, pdf_document* doc, pdf_obj* page);

#ifdef __cplusplus
}
#endif

#endif
