/* A tiling pattern left to MuPDF's tiling, drawn on a layer of its own and
 * composited onto the band from there.
 *
 * MuPDF's tiling paints its cell's pixmap, colour premultiplied by alpha,
 * onto the band with an approximate product: a pixel of alpha 128 or more
 * drawn white over white comes out one level darker, so a white cell on a
 * plate that holds no ink leaves ink of level 1 wherever its edges fall,
 * at any nesting of patterns. The layer holds the tiling as MuPDF draws
 * it, on transparent pixels, where white keeps its colour equal to its
 * alpha; the layer is then painted as an image, whose premultiplied pixels
 * MuPDF paints with exactly rounded products: white over white stays
 * white, whatever its alpha. It costs a pass over the layer's pixels more
 * than the tiling alone.
 *
 * A cell whose marks blend (a group of a blend mode other than Normal,
 * such as MuPDF puts around each mark of a cell painted under one) is
 * tiled on a layer of CMYK instead, whose black is composited: blending a
 * mark with the layer's partly transparent pixels, MuPDF unpremultiplies
 * their levels rounding down, which in additive colour takes white one to
 * three levels towards ink, and in CMYK, where white is no ink, leaves it
 * white. It costs a second pass.
 *
 * An ink's band drawn in CMYK (VDRW_InkBand.h) needs no layer: the tiling
 * goes straight onto it. */
#ifndef VDRW_TILELAYER_H
#define VDRW_TILELAYER_H

#include <mupdf/fitz.h>

#include "VDRW_CellWork.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The pattern of tile whose cell (device space) is cell, tiled by MuPDF
 * over its area within band (device pixels) and composited onto target,
 * with the default colour spaces spaces (may be NULL), on a layer of CMYK
 * when blends (the cell's marks blend). A cookie that stops the cell's
 * drawing leaves the band as it was. Errors of MuPDF and of target pass
 * through. */
void VDRW_DrawTiledOnLayer(fz_context* ctx, fz_device* target, fz_display_list* cell, const VDRW_Tile* tile,
                           fz_rect band, fz_default_colorspaces* spaces, fz_cookie* cookie, int blends);

#ifdef __cplusplus
}
#endif

#endif
