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
 * A tiling pattern's cell is recorded and drawn once at each place it
 * falls within scissor (the band), straight onto the device behind, so its
 * marks blend as any other; a pattern whose cells there times their
 * calls pass kVDRW_MostCellMarksDrawn is left to MuPDF's own tiling. The loop stops when cookie's
 * abort is set. Everything else passes on unchanged. Errors of the device
 * behind pass through. */
#ifndef VDRW_SNAPDEVICE_H
#define VDRW_SNAPDEVICE_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Far beyond MuPDF's float error on 8192 pixels, far below a sample. */
#define kVDRW_SnapPixels (1.0 / 512)

/* Cells times their calls (plus one) drawn one by one for one tiling
 * pattern on one band; past it, MuPDF's tiling, whose cost does not grow
 * with the cell's calls, draws the pattern. */
#define kVDRW_MostCellMarksDrawn 40000

/* Keeps target; closing this device does not close target. cookie may be
 * NULL and must outlive the device. */
fz_device* VDRW_NewSnapDevice(fz_context* ctx, fz_device* target, fz_rect scissor, fz_cookie* cookie);

#ifdef __cplusplus
}
#endif

#endif
