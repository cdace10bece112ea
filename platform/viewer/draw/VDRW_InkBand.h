/* A band of one ink's page drawn in CMYK, its grey as black.
 *
 * MuPDF starts a knockout group, and composites a group's partly covered
 * pixels, from a transparent backdrop of zeros. In additive colour a zero
 * is full ink, so every edge that a mark covers in part takes some of it:
 * a plate whose copy of the group paints only white gets a hairline. In
 * CMYK a zero is no ink. A grey g is drawn as black 1 - g alone, which
 * MuPDF converts exactly; separable blend modes blend the complements, so
 * they act on black as on the grey. Cyan, magenta and yellow are never
 * read: they hold only what a blend mode makes of no ink over no ink. */
#ifndef VDRW_INKBAND_H
#define VDRW_INKBAND_H

#include <mupdf/fitz.h>

#include "VDRW_MuPDF.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A CMYK pixmap over the band holding its pixels' grey as black, opaque;
 * NULL when a pixel of the band is not grey (B, G and R not equal). */
fz_pixmap* VDRW_NewInkBand(fz_context* ctx, const VDRW_Band* band);

/* The black of ink (made by VDRW_NewInkBand for band) back into the band's
 * B, G and R as grey; A is kept. */
void VDRW_PutInkBand(const fz_pixmap* ink, const VDRW_Band* band);

/* Whether the band this thread draws now is an ink's band in CMYK (for
 * the devices in front of its draw device, such as a tiling's layer). */
void VDRW_SetDrawingInkBand(int on);
int VDRW_DrawingInkBand(void);

#ifdef __cplusplus
}
#endif

#endif
