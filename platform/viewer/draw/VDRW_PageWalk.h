/* The walk over what the drawing of a page can read, shared by the checks
 * of a page's own bytes (VDRW_LossChecks, VDRW_FontMapCheck): its
 * contents, resources, forms, patterns, glyphs, masks, images, fonts and
 * functions, each object once; never what only a reader of text or of the
 * document reads (a ToUnicode map, annotations, metadata, thumbnails). */
#ifndef VDRW_PAGE_WALK_H
#define VDRW_PAGE_WALK_H

#include <mupdf/pdf.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Told of each object the walk reaches, resolved: ref as the walk met it
 * (indirect, or obj itself), num its object number (0 when direct);
 * content: obj is a stream of content to draw, or holds some. 1 ends the
 * walk with that answer. */
typedef int (*VDRW_PageVisit)(fz_context* ctx, pdf_document* doc, pdf_obj* ref, pdf_obj* obj, int num, int content,
                              void* user);

/* 1 when visit answered 1 of something page reaches, and wherever the walk
 * cannot tell (nesting too deep, an object that cannot be read); 0 when it
 * answered 0 of everything. */
int VDRW_PageReaches(fz_context* ctx, pdf_document* doc, pdf_obj* page, VDRW_PageVisit visit, void* user);

#ifdef __cplusplus
}
#endif

#endif
