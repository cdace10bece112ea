/* Runs of marks painted through soft masks, recorded apart from a page's
 * display list, so that a band skips the runs it does not meet.
 *
 * MuPDF's display list visits every command for every band, culled or
 * not; a page that paints 84,000 small squares each through its own soft
 * mask holds a million commands, most of them the masks' contents, and
 * each band visits them all. So, while the page's list is made, every run
 * of consecutive uses of soft masks (a mask, the marks it masks, the pop
 * that ends it, again and again at one level of the stack, 64 uses at most)
 * outside a tiling pattern's cell is recorded into a list of its own, and
 * the page's list holds in its place one mark that stands for the run, an
 * image of the run's own (VDRW_MaskRunIndex) that MuPDF's list never culls, followed by
 * the default colour spaces the run sets last (the draw device keeps those
 * for what follows). The band that meets the mark draws the run's list,
 * unless the run misses it: the run knows the bounds of its marks outside
 * the masks' contents, which alone reach the page, unbounded when it holds
 * a pattern, render flags or marks without bounds.
 *
 * The runs are made once, with the list, and only read after: bands on
 * several threads read them at once. */
#ifndef VDRW_MASKRUNS_H
#define VDRW_MASKRUNS_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VDRW_MaskRuns VDRW_MaskRuns;

VDRW_MaskRuns* VDRW_NewMaskRuns(fz_context* ctx);
void VDRW_DropMaskRuns(fz_context* ctx, VDRW_MaskRuns* runs);

/* A device in front of target (the page's list device) that records the
 * runs into runs and hands target everything else. Closing it ends an
 * open run; it does not close target. Errors of MuPDF pass through. */
fz_device* VDRW_NewMaskRunRecorder(fz_context* ctx, fz_device* target, VDRW_MaskRuns* runs);

/* The run image stands for, from 0; -1 for any other image. */
int VDRW_MaskRunIndex(const VDRW_MaskRuns* runs, const fz_image* image);

fz_display_list* VDRW_MaskRunList(const VDRW_MaskRuns* runs, int index);

/* Whether run index, drawn through ctm, leaves every device pixel of area
 * as it was: its marks, widened by their anti-aliased edges and the least
 * line width, fall outside area. */
int VDRW_MaskRunMisses(const VDRW_MaskRuns* runs, int index, fz_matrix ctm, fz_rect area);

/* Whether the run draws an image or an image mask (for the decode plan). */
int VDRW_MaskRunHasImages(const VDRW_MaskRuns* runs, int index);

#ifdef __cplusplus
}
#endif

#endif
