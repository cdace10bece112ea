/* An unpacked copy of a path, for a display list that records it.
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

/* The same segments, coordinates unchanged; the caller drops it. Errors
 * of MuPDF pass through. */
fz_path* VDRW_UnpackedPath(fz_context* ctx, const fz_path* path);

#ifdef __cplusplus
}
#endif

#endif
