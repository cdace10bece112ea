/* A MuPDF device in front of the draw device that draws a luminosity soft
 * mask once for the marks that use it one after another.
 *
 * A soft mask of the graphics state applies to each mark painted outside
 * a transparency group, and MuPDF draws the mask again for every mark: a
 * form of 7,000 small squares painted without its group draws its mask
 * 7,000 times in every band it meets.
 *
 * So each mask's contents are recorded. A mask whose contents, area,
 * backdrop and default colour spaces are those of the mask drawn just
 * before it, pushed on the same level of the draw device's stack, is
 * pushed as a clip by an image of that mask's coverage, drawn once as the
 * draw device draws it (backdrop, contents, luminosity to alpha) over its
 * area within the band; the draw device then composites the marks through
 * the same mask pixels. That clip waits for the marks it masks (up to the
 * pop that ends it) and covers only the pixels they can touch: elsewhere
 * compositing leaves every pixel as it was. Any other mask goes to the draw
 * device as it came: the first of a run, a mask of alpha, one whose
 * contents hold more than paths, shadings, clips and groups, one inside a
 * knockout or non-isolated group.
 *
 * The device is for one band: band is its device pixels, and target draws
 * with the identity. Errors of MuPDF or of target pass through. */
#ifndef VDRW_SOFTMASKDEVICE_H
#define VDRW_SOFTMASKDEVICE_H

#include <mupdf/fitz.h>

#include "VDRW_MaskRuns.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Keeps target; closing this device does not close target. */
fz_device* VDRW_NewSoftMaskDevice(fz_context* ctx, fz_device* target, fz_irect band);

/* The page's runs of masked marks (VDRW_MaskRuns.h): the image standing
 * for a run is drawn here, in a band the run does not miss, by running the
 * run's list through source (the device in front of this one, which this
 * one does not keep) with ctm and cookie. */
void VDRW_SetSoftMaskRuns(fz_device* dev, const VDRW_MaskRuns* runs, fz_device* source, fz_matrix ctm,
                          fz_cookie* cookie);

/* Test counters, over every device and thread since the last reset: soft
 * masks drawn from their contents (by the draw device, or once for a run
 * of uses), and uses of a mask drawn before. */
void VDRW_ResetSoftMaskCounts(void);
long VDRW_SoftMasksDrawn(void);
long VDRW_SoftMasksReused(void);

#ifdef __cplusplus
}
#endif

#endif
