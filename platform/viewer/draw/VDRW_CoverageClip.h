/* A stroke's or text's clip made as a clip by an image mask of the same
 * coverage, for a destination with alpha (the band).
 *
 * On such a destination MuPDF 1.21's draw device starts a stroke's or
 * text's clip on a cleared layer and, on popping it, copies the layer's
 * pixels wherever the clip covers them whole, alpha included. A mark of
 * partial coverage inside (an anti-aliased edge, white drawn over white)
 * then replaces the band's pixel instead of blending over it: a pattern
 * cell's white squares leave dark rings on a plate that holds no ink. A
 * clip by an image mask starts from a copy of the band, so every mark
 * inside blends as it does through a path's clip.
 *
 * The mask is drawn by MuPDF's own rasteriser, one sample a device pixel,
 * over the mark's bounds within scissor and band (device space), so the
 * clip covers what the stroke or the text would fill. Errors of MuPDF or
 * of target pass through. */
#ifndef VDRW_COVERAGECLIP_H
#define VDRW_COVERAGECLIP_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

void VDRW_ClipStrokeByCoverage(fz_context* ctx, fz_device* target, const fz_path* path,
                               const fz_stroke_state* stroke, fz_matrix ctm, fz_rect scissor, fz_rect band);

/* stroke NULL: the glyphs filled; else stroked. */
void VDRW_ClipTextByCoverage(fz_context* ctx, fz_device* target, const fz_text* text,
                             const fz_stroke_state* stroke, fz_matrix ctm, fz_rect scissor, fz_rect band);

#ifdef __cplusplus
}
#endif

#endif
