/* A device in front of the draw device of an ink's band (VDRW_InkBand.h)
 * that draws every transparency group in the band's CMYK, and each colour
 * at the grey level a BGR band would give it.
 *
 * MuPDF 1.21 draws an isolated group of a colour space of its own in that
 * space: the ink's copy of a group names DeviceGray, and in additive grey
 * a knockout group's transparent start, mixed into a mark's edge, is full
 * ink. In the band's CMYK it is no ink; a grey group's content is black
 * alone there, and separable blend modes blend black's complement, the
 * grey, so the group composes as it would in grey.
 *
 * MuPDF truncates a colour to its byte: grey 0.8 is level 204 in BGR, and
 * its black 1 - 0.8, a hair under 0.2 in float, level 50 (205 as grey).
 * A mark's colour is given as the black whose byte is the BGR level's
 * complement, so a flat mark draws the level it drew in BGR. Soft masks'
 * own contents keep theirs: they are drawn into a luminosity. */
#ifndef VDRW_INKDEVICE_H
#define VDRW_INKDEVICE_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Passes every call on to target (kept), each group without its colour
 * space, each colour as black. Closing it does not close target. */
fz_device* VDRW_NewInkDevice(fz_context* ctx, fz_device* target);

#ifdef __cplusplus
}
#endif

#endif
