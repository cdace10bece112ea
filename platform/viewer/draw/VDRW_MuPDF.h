/* The C interface over MuPDF for the viewer stand-in's page drawing. Every
 * MuPDF call sits behind it in VDRW_MuPDF.c, so no fz_try region is ever
 * compiled as C++. Each kind of object has its own incomplete type.
 *
 * Failures: a function that fails returns 0 (or null), leaves nothing
 * allocated, and fills *status with a code and MuPDF's message. The caller
 * drops what it got with the matching Drop function (null is allowed).
 *
 * Threads: one engine belongs to one thread at a time. Another thread
 * draws with a clone of it (VDRW_CloneEngine), which shares the engine's
 * documents, lists and caches; a list only read by several clones at once. */
#ifndef VDRW_MUPDF_H
#define VDRW_MUPDF_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VDRW_EngineRec_ VDRW_Engine;      /* a MuPDF context with its locks */
typedef struct VDRW_DocumentRec_ VDRW_Document;  /* a PDF document opened from bytes */
typedef struct VDRW_PageListRec_ VDRW_PageList;  /* a page's contents as a display list */

enum {
    VDRW_StatusOk = 0,
    VDRW_StatusNoMemory = 1,  /* MuPDF ran out of memory */
    VDRW_StatusFailed = 2,    /* any other MuPDF error */
    VDRW_StatusNoPage = 3,    /* the page index is outside the document */
    VDRW_StatusAborted = 4    /* VDRW_AbortBands stopped the band; its pixels are partly drawn */
};

typedef struct VDRW_Status {
    int m_code;
    char m_message[256]; /* MuPDF's text, cut to fit */
} VDRW_Status;

/* x' = a·x + c·y + e, y' = b·x + d·y + f */
typedef struct VDRW_Transform {
    double m_a, m_b, m_c, m_d, m_e, m_f;
} VDRW_Transform;

/* Rows of device pixels m_y to m_y + m_height - 1, columns m_x to
 * m_x + m_width - 1, as 4-byte B, G, R, A pixels m_width × 4 bytes a row.
 * Drawing composes over what the pixels hold; give A = 255. */
typedef struct VDRW_Band {
    unsigned char* m_pixels;
    int m_x, m_y, m_width, m_height;
} VDRW_Band;

VDRW_Engine* VDRW_NewEngine(VDRW_Status* status);
/* A context for another thread; dropped before its base engine. */
VDRW_Engine* VDRW_CloneEngine(VDRW_Engine* base, VDRW_Status* status);
void VDRW_DropEngine(VDRW_Engine* engine);

/* The engine keeps a few freed large blocks for the next band; this frees
 * them (after a drawing). Any of an engine's clones will do. */
void VDRW_TrimEngine(VDRW_Engine* engine);
int VDRW_EngineBlocksKept(VDRW_Engine* engine);

/* The bytes are not copied (a document's copy can be a large part of what a
 * drawing costs): they stay unchanged until the document is dropped. The
 * document's page tree gets each node's /Type and
 * /Count as VDRW_PageSpaceReader walks it, so that page numbers agree. */
VDRW_Document* VDRW_OpenDocument(VDRW_Engine* engine, const unsigned char* bytes, size_t size,
                                 VDRW_Status* status);
void VDRW_DropDocument(VDRW_Engine* engine, VDRW_Document* document);

/* The page's contents without annotations, in the page's own user space
 * (MuPDF's page transform undone). pageIndex from 0. After
 * VDRW_StopAllDrawing: null with VDRW_StatusAborted. */
VDRW_PageList* VDRW_NewPageList(VDRW_Engine* engine, VDRW_Document* document, int pageIndex,
                                VDRW_Status* status);
void VDRW_DropPageList(VDRW_Engine* engine, VDRW_PageList* list);
/* The words of MuPDF's first error that cost the reading of the page's
 * contents some of them (VDRW_ReadingLoss.h), in a form, a pattern cell or
 * a glyph too: what the page's plate may lack. Null when it lost nothing:
 * when it read them whole, or only skipped an operator setting state, or
 * drew text in a substitute font. Images are decoded as the bands are drawn (and large
 * ones as they are planned), judged by the same words: after the bands,
 * when the reading lost nothing, the loss of the topmost band that lost
 * something. Not while bands of the list are drawn. */
const char* VDRW_PageListError(const VDRW_PageList* list);

/* From any thread: the band the engine is drawing stops at its next
 * display-list command, and every later band of this engine stops at once
 * (VDRW_StatusAborted). For a clone that draws for a drawing being
 * cancelled. */
void VDRW_AbortBands(VDRW_Engine* engine);

/* From any thread but not from a signal handler: every band and page list
 * being made by any engine stops at its next poll of MuPDF's cookie, and
 * every later one at once (VDRW_StatusAborted), until VDRW_AllowDrawing. */
void VDRW_StopAllDrawing(void);
void VDRW_AllowDrawing(void);
int VDRW_DrawingStopped(void);

/* Fixes which part of each image the bands of one drawing decode: for the
 * drawing of list through userToDevice over area (the whole drawing, not a
 * band; its pixels are not read), what of each image shows there, at the
 * subsampling MuPDF picks for its size on the page. Every band then finds
 * the same decoded part in MuPDF's store whichever band came first, and a
 * large image costs memory by what of it is drawn. Images of up to 4
 * million pixels as decoded, images in a tiling pattern, and every image of
 * a list never planned are decoded whole. Planning again replaces the plan;
 * not while bands of the list are drawn. */
int VDRW_PlanImageDecode(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform* userToDevice,
                         const VDRW_Band* area, VDRW_Status* status);

/* Chooses, for every band of the drawings of list through userToDevice,
 * which tiling patterns are drawn cell by cell, within one budget for the
 * page (VDRW_TilePlan.h); page is the page's whole area in device pixels
 * (its pixels are not read), whatever part of it a drawing shows. Planning
 * again replaces the plan; not while bands of the list are drawn. A list
 * never planned weighs each pattern alone. */
int VDRW_PlanPatterns(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform* userToDevice,
                      const VDRW_Band* page, VDRW_Status* status);

/* Draws the list through userToDevice into the band; 1 on success. A list
 * that paints only neutral greys, as an ink's page does, and composes some
 * in a transparency group is drawn over a band of grey pixels in CMYK, its
 * grey as black (VDRW_InkBand.h). A fill's
 * or an image's edge within a rounding error of a pixel boundary is drawn
 * on it (VDRW_SnapDevice.h); a soft mask used by mark after mark is drawn
 * once (VDRW_SoftMaskDevice.h), and a run of such marks only by the bands
 * it meets (VDRW_MaskRuns.h). A
 * command of the list that fails fails the drawing, with the message of
 * MuPDF's first error while drawing the band (the band keeps what the other
 * commands drew). */
int VDRW_DrawBand(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform* userToDevice,
                  const VDRW_Band* band, VDRW_Status* status);

/* Test hook: the largest block MuPDF asked of any engine since
 * VDRW_ResetLargestBlock (or since the start). */
size_t VDRW_LargestBlock(void);
void VDRW_ResetLargestBlock(void);

/* Test hook, counted over every engine since VDRW_ResetPlanCounts: the
 * planned parts looked at while finding an image's part by its size (in
 * planning and in every band's decode), and the parts decoded ahead while
 * planning (at most one for each size of image). */
typedef struct VDRW_PlanCounts {
    size_t m_steps;
    size_t m_decodedAhead;
} VDRW_PlanCounts;
VDRW_PlanCounts VDRW_ReadPlanCounts(void);
void VDRW_ResetPlanCounts(void);

/* Test fault switch: while on, every function above that calls MuPDF fails
 * inside its fz_try with MuPDF's generic error and the message
 * "forced MuPDF error". */
void VDRW_SetFaultSwitch(int on);
/* Test fault switch: while on, the reading of every page's contents ends
 * at a read fault "forced MuPDF error", which costs it its end. */
void VDRW_SetReadingFault(int on);

#ifdef __cplusplus
}
#endif

#endif
