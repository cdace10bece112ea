/* A device in front of the draw device of an ink's band (VDRW_InkBand.h)
 * that draws every transparency group in the band's CMYK.
 *
 * MuPDF 1.21 draws an isolated group of a colour space of its own in that
 * space: the ink's copy of a group names DeviceGray, and in additive grey
 * a knockout group's transparent start, mixed into a mark's edge, is full
 * ink. In the band's CMYK it is no ink; a grey group's content is black
 * alone there, and separable blend modes blend black's complement, the
 * grey, so the group composes as it would in grey. */
#ifndef VDRW_INKGROUPS_H
#define VDRW_INKGROUPS_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Passes every call on to target (kept), each group without its colour
 * space. Closing it does not close target. */
fz_device* VDRW_NewInkGroups(fz_context* ctx, fz_device* target);

#ifdef __cplusplus
}
#endif

#endif
