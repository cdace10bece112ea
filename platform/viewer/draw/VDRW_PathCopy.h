/* Calls that hand a device an unpacked copy of a path, for a display list
 * that records it.
 *
 * A path handed on by a display list is packed, and MuPDF 1.21's list
 * device fails to pack some packed paths again ("Can't pack a path that
 * small!": a stroke of one path of 8 subpaths); its fz_clone_path misreads
 * a packed path. A device that records what a list handed it records this
 * copy instead: a failed call would disable the recording device, with
 * what it pushed on the draw device's stack left there. */
#ifndef VDRW_PATHCOPY_H
#define VDRW_PATHCOPY_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The call passed on to dev with an unpacked copy of path (the same
 * segments, coordinates unchanged), which is dropped after it. Errors of
 * MuPDF and of dev pass through. */
void VDRW_FillUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                       fz_colorspace* cs, const float* color, float alpha, fz_color_params params);
void VDRW_StrokeUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                         fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params);
void VDRW_ClipUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                       fz_rect scissor);
void VDRW_ClipStrokeUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                             fz_matrix ctm, fz_rect scissor);

#ifdef __cplusplus
}
#endif

#endif
