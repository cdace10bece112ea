/* The checks of a page's own bytes that tell whether MuPDF's words that
 * Flate data ended early, or that their check is wrong, cost a plate
 * anything: the words do not say which stream it was, so every stream the
 * page's drawing can have read is looked at. Run only after a reading that heard the word, on the
 * thread that read the page. */
#ifndef VDRW_LOSS_CHECKS_H
#define VDRW_LOSS_CHECKS_H

#include <mupdf/pdf.h>

#ifdef __cplusplus
extern "C" {
#endif

/* 0 when every stream page reads whose filters hold FlateDecode anywhere
 * (behind ASCIIHexDecode or others too; its contents, resources, forms,
 * patterns, glyphs, masks, images, fonts and functions, and the inline
 * images of its content streams) reaches the end of the last block of each
 * of its Flate stages, at most its check missing; 1 when one stops before
 * that end, and wherever it cannot tell: a stage before a Flate stage that
 * it does not decode, an inline image's second Flate stage, an object that
 * cannot be read, nesting too deep. A font's ToUnicode map is read for
 * text, never drawn, and does not count. */
int VDRW_PageFlateStreamCut(fz_context* ctx, pdf_document* doc, pdf_obj* page);

/* The same walk: 1 when a Flate stage of what page reads for marks ends
 * with a check that is there and wrong, and wherever it cannot tell; 0
 * when every wrong check lies elsewhere (a ToUnicode map, what nothing
 * draws). */
int VDRW_PageFlateCheckWrong(fz_context* ctx, pdf_document* doc, pdf_obj* page);

#ifdef __cplusplus
}
#endif

#endif
