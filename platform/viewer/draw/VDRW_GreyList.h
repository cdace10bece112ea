/* Whether a page's display list paints only neutral greys and composes
 * some in a transparency group (a group form's, or the one MuPDF puts
 * around a mark under a blend mode): every colour a mark paints onto the
 * page is black alone in DeviceCMYK, and every image and shading is of a
 * grey space (or indexed over one). Soft masks' own contents do not count:
 * they are drawn apart, into a luminosity. Such a page, as the plug-in
 * makes for each ink, is drawn in CMYK (VDRW_InkBand.h); a page without
 * groups has no transparent backdrop to mix in and is drawn as before. */
#ifndef VDRW_GREYLIST_H
#define VDRW_GREYLIST_H

#include <mupdf/fitz.h>

#include "VDRW_MaskRuns.h"

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when list, with the runs of soft-masked marks it stands for (may be
 * NULL), paints only neutral greys and some group, else 0. Errors of MuPDF
 * pass through. */
int VDRW_ListComposesGrey(fz_context* ctx, fz_display_list* list, const VDRW_MaskRuns* runs);

#ifdef __cplusplus
}
#endif

#endif
