/* A MuPDF device in front of another that puts on the pixel boundary a
 * path's or an image's edge that MuPDF's float arithmetic left a rounding
 * error beside it. MuPDF turns each point with a float matrix and then
 * rounds edges outward onto its sample grid (17 x 15 a pixel), so an edge
 * meant to lie on a boundary can come out a ten-thousandth of a pixel
 * past it and give the pixel beyond a sample's worth of ink.
 *
 * Fills and clips by a path are passed on in device space, every
 * coordinate within kVDRW_SnapPixels of a whole pixel taken as that
 * pixel; an image's or mask's corners, when it is not turned by other
 * than quarter turns, are taken the same way. Clips by a stroke or by
 * text are made as masks of their coverage (VDRW_CoverageClip.h), so the
 * marks under them blend with the band.
 *
 * A tiling pattern's cell is recorded and drawn once at each place where
 * it can ink within scissor (the band, VDRW_TileCells), straight onto the
 * device behind, so its marks blend as any other; a pattern the drawing's
 * plan (VDRW_TilePlan.h) leaves to MuPDF's own tiling, or whose cell's
 * marks blend, is drawn by it, on every band alike (on a layer of its own
 * when its cell may paint white, VDRW_TileLayer.h). Without a plan, a pattern whose cells over its whole
 * area times their work (VDRW_CellWork.h, patterns nested in the cell
 * included) pass kVDRW_MostCellWork is left to the tiling. The loop stops
 * when cookie's abort is set. Everything else passes on unchanged. Errors
 * of the device behind pass through. */
#ifndef VDRW_SNAPDEVICE_H
#define VDRW_SNAPDEVICE_H

#include <mupdf/fitz.h>

#include "VDRW_TilePlan.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Far beyond MuPDF's float error on 8192 pixels, far below a sample. */
#define kVDRW_SnapPixels (1.0 / 512)

/* Keeps target; closing this device does not close target. cookie and
 * plan may be NULL and must outlive the device. */
fz_device* VDRW_NewSnapDevice(fz_context* ctx, fz_device* target, fz_rect scissor, fz_cookie* cookie,
                              const VDRW_TilePlan* plan);

/* Test counters, over every device and thread since the last reset: each
 * band's drawing of a pattern counts once, drawn cell by cell or left to
 * MuPDF's tiling. */
void VDRW_ResetTileCounts(void);
long VDRW_PatternsDrawnByCell(void);
long VDRW_PatternsLeftToTiling(void);

#ifdef __cplusplus
}
#endif

#endif
