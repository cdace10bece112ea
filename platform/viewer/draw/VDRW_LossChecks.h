/* Checks of a document's own bytes that tell whether a word MuPDF says of
 * any stream cost a plate anything: MuPDF's word does not say which stream
 * it was, so every stream it can have been is looked at. Run only after a
 * reading that heard such a word, on the thread that read the page. */
#ifndef VDRW_LOSS_CHECKS_H
#define VDRW_LOSS_CHECKS_H

#include <mupdf/pdf.h>

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when a Flate stream of the document stops before the end of its last
 * block (or cannot be read), 0 when each lacks at most its check. Fonts'
 * ToUnicode maps are not drawn and do not count. */
int VDRW_SomeFlateStreamCut(fz_context* ctx, pdf_document* doc);

/* 1 when a content stream of the document (a page's, a form's, a tiling
 * pattern's, a Type 3 glyph's) has a token MuPDF's interpreter cannot read
 * that drops what it gathered (VDRW_UnreadableTokens.h); 0 when every such
 * token stands alone between operators. */
int VDRW_SomeBadTokenDropsOperands(fz_context* ctx, pdf_document* doc);

/* Calls visit on each content stream obj is or holds (a page's, a form's,
 * a tiling pattern's, a Type 3 font's glyphs') until one returns 1;
 * returns that. A visit is given a stream or whatever stands in its place. */
typedef int (*VDRW_ContentVisit)(fz_context* ctx, pdf_document* doc, pdf_obj* stream);
int VDRW_EachContentStream(fz_context* ctx, pdf_document* doc, pdf_obj* obj, VDRW_ContentVisit visit);

/* 1 when font is a composite font whose map of codes, a stream of the
 * file's own, read as MuPDF reads it (whatever its filters), stops before
 * its endcmap: MuPDF reads a map cut between two entries without a word,
 * and says only, of each code shown past the cut, that it cannot encode
 * it. */
int VDRW_EncodingMapCut(fz_context* ctx, pdf_obj* font);
/* 1 when a composite font of the document is encoded by a map of the
 * file's own, cut or not; an object that cannot be read counts. */
int VDRW_SomeEncodingMapOfItsOwn(fz_context* ctx, pdf_document* doc);

/* 1 when filter (a name or an array of them) starts with FlateDecode. */
int VDRW_IsFlate(fz_context* ctx, pdf_obj* filter);

/* 1 when object num is a Flate stream that stops before the end of its
 * last block; a stream that cannot be read counts as cut: a loss said is
 * better than one hidden. */
int VDRW_FlateStreamCut(fz_context* ctx, pdf_document* doc, int num);
/* 1 when object num is a Flate stream whose check fails (or that cannot be
 * read): whole, but what it holds may be garbled. */
int VDRW_FlateStreamCheckFails(fz_context* ctx, pdf_document* doc, int num);

#ifdef __cplusplus
}
#endif

#endif
