/* A content stream mended as it is read: what MuPDF's interpreter cannot
 * read is blanked (blanks keep every offset) and the result written back
 * deflated, so that a stream of any length costs the twin its compressed
 * size, never its decoded bytes held whole.
 *
 * MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always. */
#ifndef VDRW_STREAM_MEND_H
#define VDRW_STREAM_MEND_H

#include <mupdf/pdf.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Mends stream (of doc) in place when something in it cannot be read; a
 * stream read whole that needs nothing is left untouched. Returns 0 when
 * reading it failed before anything changed, so that the caller may mend
 * it another way; 1 otherwise. Throws what writing throws. */
int VDRW_MendStreamThrough(fz_context* ctx, pdf_document* doc, pdf_obj* stream);

#ifdef __cplusplus
}
#endif

#endif
