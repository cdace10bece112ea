/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_MuPDF.h"

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
#include <limits.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "VDRW_BlockCache.h"
#include "VDRW_GreyList.h"
#include "VDRW_InkBand.h"
#include "VDRW_InkDevice.h"
#include "VDRW_FontMapCheck.h"
#include "VDRW_LossChecks.h"
#include "VDRW_MaskRuns.h"
#include "VDRW_OpenSlots.h"
#include "VDRW_ReadingLoss.h"
#include "VDRW_SnapDevice.h"
#include "VDRW_TilePlan.h"
#include "VDRW_SoftMaskDevice.h"

/* Blocks from 32 MB up are mapped afresh by the C library on every request;
 * up to one tile per drawing thread is kept (the drawer bounds the threads
 * by the memory their tiles take). */
enum { kLargeBlock = 32 << 20, kKeptBlocks = 8 };
static const size_t kKeptBytes = (size_t)2 << 30;

/* What an engine and its clones share: MuPDF's locks and the allocator. */
typedef struct Shared {
    pthread_mutex_t m_locks[FZ_LOCK_MAX];
    VDRW_BlockCache* m_blocks;
} Shared;

struct VDRW_EngineRec_ {
    fz_context* m_ctx;
    Shared* m_shared; /* owned by the engine that is not a clone */
    int m_clone;
    /* The band being drawn; its abort flag is set from another thread. */
    fz_cookie m_cookie;
    /* On the list of engines drawing, for VDRW_StopAllDrawing. */
    VDRW_Engine* m_nextDrawing;
    /* MuPDF's first error message since the last ClearError. */
    int m_errorSeen;
    char m_error[256];
    /* What the reading of a page's contents, or the drawing of a band
     * (where images are decoded), lost while one is under way. */
    int m_reading;
    VDRW_ReadingLoss m_loss;
    /* The last document of whose pages a reading or a drawing lost
     * something. */
    const pdf_document* m_heardIn;
};

/* The part of an image that the bands of one drawing decode. MuPDF's decode
 * hook is told the image's size and no more, so images are told apart by
 * their size: the part of several images of one size is the union of theirs. */
typedef struct ImagePart {
    int m_w, m_h;
    int m_whole; /* a part that cannot be told: the whole image */
    fz_irect m_area;
    fz_pixmap* m_decoded; /* the part decoded ahead, kept in MuPDF's store for the drawing */
    int m_ahead;          /* decoded ahead already, whatever came of it */
} ImagePart;

/* The parts in the order planned, found by size through an open-addressed
 * table: a page of many images of distinct sizes is planned and drawn in
 * time linear in their number. */
typedef struct ImagePlan {
    ImagePart* m_parts;
    int m_count, m_capacity;
    int* m_slots;    /* index + 1 of a part, 0 for a free slot */
    int m_slotCount; /* a power of two, at least twice m_count; 0 before the first part */
} ImagePlan;

struct VDRW_PageListRec_ {
    fz_display_list* m_list; /* in the page's user space */
    VDRW_MaskRuns* m_runs;   /* what the list's run layers stand for */
    ImagePlan m_plan; /* empty until VDRW_PlanImageDecode */
    VDRW_TilePlan* m_tiles; /* null until VDRW_PlanPatterns */
    /* The words of the first error that cost the reading some content. */
    int m_unread;
    char m_error[256];
    const pdf_document* m_document;
    int m_pageIndex;
    /* Only neutral greys painted, some in a group (VDRW_GreyList.h):
     * drawn in CMYK. */
    int m_grey;
    /* What the bands lost: the loss of the topmost band that lost any.
     * Bands are drawn on several threads at once. */
    pthread_mutex_t m_bandLock;
    /* What the document's bytes show of each check, asked by a band's
     * words once for all bands: -1 not asked yet. */
    int m_bandShows[VDRW_CheckCount];
    int m_bandLost;
    int m_bandTop;
    char m_bandError[256];
};

static int g_faultSwitch;
static int g_readingFault;

/* The engines drawing now, and whether every drawing is stopped. */
static pthread_mutex_t g_drawingLock = PTHREAD_MUTEX_INITIALIZER;
static VDRW_Engine* g_drawing;
static int g_stopAll;

static fz_context* Context(VDRW_Engine* engine) { return engine->m_ctx; }

static void Fault(fz_context* ctx) {
    if (g_faultSwitch)
        fz_throw(ctx, FZ_ERROR_GENERIC, "forced MuPDF error");
}

static void SetStatus(VDRW_Status* status, int code, const char* message) {
    status->m_code = code;
    snprintf(status->m_message, sizeof status->m_message, "%s", message ? message : "");
}

static void SetCaught(fz_context* ctx, VDRW_Status* status) {
    const int code = fz_caught(ctx) == FZ_ERROR_MEMORY ? VDRW_StatusNoMemory : VDRW_StatusFailed;
    const char* reason = VDRW_ReasonFor(fz_caught_message(ctx));
    SetStatus(status, code, reason ? reason : fz_caught_message(ctx));
}

void VDRW_SetFaultSwitch(int on) { g_faultSwitch = on; }

void VDRW_SetReadingFault(int on) { g_readingFault = on; }

/* As a content stream's read fault is met and the stream ends there. */
static void ReadingFault(fz_context* ctx, fz_cookie* cookie) {
    if (!g_readingFault)
        return;
    fz_try(ctx) {
        fz_throw(ctx, FZ_ERROR_GENERIC, "forced MuPDF error");
    }
    fz_catch(ctx) {
        fz_warn(ctx, "read error; treating as end of file");
        cookie->errors++;
    }
}

static size_t g_largestBlock;

static void NoteBlock(size_t size) {
    size_t largest = __atomic_load_n(&g_largestBlock, __ATOMIC_RELAXED);
    while (size > largest &&
           !__atomic_compare_exchange_n(&g_largestBlock, &largest, size, 1, __ATOMIC_RELAXED, __ATOMIC_RELAXED)) {
    }
}

size_t VDRW_LargestBlock(void) { return __atomic_load_n(&g_largestBlock, __ATOMIC_RELAXED); }
void VDRW_ResetLargestBlock(void) { __atomic_store_n(&g_largestBlock, 0, __ATOMIC_RELAXED); }

static void* AllocBlock(void* user, size_t size) {
    NoteBlock(size);
    return VDRW_BlockAlloc(user, size);
}
static void* ReallocBlock(void* user, void* old, size_t size) {
    NoteBlock(size);
    return VDRW_BlockRealloc(user, old, size);
}
static void FreeBlock(void* user, void* block) { VDRW_BlockFree(user, block); }

static void Lock(void* user, int lock) { pthread_mutex_lock(&((Shared*)user)->m_locks[lock]); }
static void Unlock(void* user, int lock) { pthread_mutex_unlock(&((Shared*)user)->m_locks[lock]); }

/* MuPDF reports each error it throws here before unwinding, also those
 * that a display list catches and goes past. Each context has its own
 * callbacks, its clones too, so a band hears only its own words. */
static void KeepError(void* user, const char* message) {
    VDRW_Engine* engine = user;
    if (engine->m_reading)
        VDRW_HearError(&engine->m_loss, message);
    if (engine->m_errorSeen)
        return;
    engine->m_errorSeen = 1;
    snprintf(engine->m_error, sizeof engine->m_error, "%s", message ? message : "");
}

/* Only the reading of a page's contents and the drawing of a band
 * listen: a warning may say what the error before it cost. */
static void HearWarning(void* user, const char* message) {
    VDRW_Engine* engine = user;
    if (engine->m_reading)
        VDRW_HearWarning(&engine->m_loss, message);
}

static void ClearError(VDRW_Engine* engine) {
    engine->m_errorSeen = 0;
    engine->m_error[0] = 0;
}

/* A warning MuPDF takes for a repeat of the one before is not told, so
 * none is kept from before. */
static void StartListening(VDRW_Engine* engine) {
    fz_flush_warnings(Context(engine));
    VDRW_StartReading(&engine->m_loss);
    engine->m_reading = 1;
}

/* The page a reading lost something of, for the checks its words call
 * for; what the checks themselves hear is no error of the drawing. */
typedef struct DocumentCheck {
    VDRW_Engine* m_engine;
    pdf_document* m_document;
    int m_pageIndex;
    /* What each check said of the page: -1 not asked yet. */
    int* m_shows;
} DocumentCheck;

static int CheckDocument(void* user, VDRW_LossCheckKind check);

typedef struct BandCheck {
    VDRW_Engine* m_engine;
    VDRW_PageList* m_list;
} BandCheck;

/* A band's words are judged against the page as the reading's are:
 * MuPDF says an image's Flate data ended early also where they lack only
 * their check. Bands draw from the list, never the document, which one
 * band at a time reads here. */
static int CheckBand(void* user, VDRW_LossCheckKind check) {
    const BandCheck* band = user;
    VDRW_PageList* list = band->m_list;
    DocumentCheck checked = {band->m_engine, (pdf_document*)list->m_document, list->m_pageIndex, list->m_bandShows};
    int shows;
    /* Asked as a band ends, also after a failure: a check that fails
     * itself leaves the loss said. */
    pthread_mutex_lock(&list->m_bandLock);
    shows = CheckDocument(&checked, check);
    pthread_mutex_unlock(&list->m_bandLock);
    return shows;
}

/* What the drawing of the band from row top lost. Of the bands that lost
 * something the topmost is kept, whichever thread came first. */
static void HearBand(VDRW_Engine* engine, VDRW_PageList* list, int top) {
    BandCheck band = {engine, list};
    const char* lost;
    engine->m_reading = 0;
    lost = VDRW_EndReadingChecked(&engine->m_loss, CheckBand, &band);
    if (!lost)
        return;
    pthread_mutex_lock(&list->m_bandLock);
    if (!list->m_bandLost || top < list->m_bandTop) {
        list->m_bandLost = 1;
        list->m_bandTop = top;
        snprintf(list->m_bandError, sizeof list->m_bandError, "%s", lost);
    }
    pthread_mutex_unlock(&list->m_bandLock);
}

/* What check of page pageIndex says, asked so that what it hears is no
 * error of the drawing; a check that fails itself says the page shows it. */
static int AskQuietly(VDRW_Engine* engine, int (*check)(fz_context*, pdf_document*, pdf_obj*),
                      pdf_document* document, int pageIndex) {
    const int seen = engine->m_errorSeen;
    char error[sizeof engine->m_error];
    int shown = 1;
    memcpy(error, engine->m_error, sizeof error);
    fz_var(shown);
    fz_try(engine->m_ctx) {
        shown = check(engine->m_ctx, document, pdf_lookup_page_obj(engine->m_ctx, document, pageIndex));
    }
    fz_catch(engine->m_ctx) {
        shown = 1;
    }
    engine->m_errorSeen = seen;
    memcpy(engine->m_error, error, sizeof error);
    return shown;
}

static int CheckDocument(void* user, VDRW_LossCheckKind check) {
    /* Indexed by VDRW_LossCheckKind. */
    static int (*const checks[VDRW_CheckCount])(fz_context*, pdf_document*, pdf_obj*) = {
        NULL, VDRW_PageFlateStreamCut, VDRW_PageFlateCheckWrong, VDRW_PageFontMapCut};
    DocumentCheck* checked = user;
    if (checked->m_shows[check] < 0)
        checked->m_shows[check] =
            checks[check] ? AskQuietly(checked->m_engine, checks[check], checked->m_document, checked->m_pageIndex) : 1;
    return checked->m_shows[check];
}

/* Settings of a context, its own after cloning too. */
static void SetUp(VDRW_Engine* engine) {
    fz_context* ctx = engine->m_ctx;
    /* Content problems are warnings the drawing goes past; keep them off
     * standard error; errors reach the caller in its status. */
    fz_set_warning_callback(ctx, HearWarning, engine);
    fz_set_error_callback(ctx, KeepError, engine);
    /* Plates are ink coverage: a pixel holds the share of it that ink
     * covers (17 x 15 samples for paths, exact area for glyphs), so a mark
     * thinner than a pixel keeps its ink wherever it falls on the grid.
     * One sample per pixel loses such marks; MuPDF 1.21's any-part-of-pixel
     * mode drops the last column and row of a fill. A stroke is at least a
     * pixel wide, as a hairline is and as it was with one sample. */
    fz_set_aa_level(ctx, 8);
    fz_set_graphics_min_line_width(ctx, 1);
    ClearError(engine);
}

/* The plan of the drawing this thread draws a band of; null outside one. */
static _Thread_local const ImagePlan* t_plan;

static size_t g_planSteps, g_decodedAhead;

VDRW_PlanCounts VDRW_ReadPlanCounts(void) {
    const VDRW_PlanCounts counts = {__atomic_load_n(&g_planSteps, __ATOMIC_RELAXED),
                                    __atomic_load_n(&g_decodedAhead, __ATOMIC_RELAXED)};
    return counts;
}

void VDRW_ResetPlanCounts(void) {
    __atomic_store_n(&g_planSteps, 0, __ATOMIC_RELAXED);
    __atomic_store_n(&g_decodedAhead, 0, __ATOMIC_RELAXED);
}

/* The slot holding the part of size w × h, or the free slot where it goes. */
static int SlotOf(const ImagePlan* plan, int w, int h) {
    size_t steps = 1;
    int slot = VDRW_FirstSlot((uint64_t)(uint32_t)w << 32 | (uint32_t)h, plan->m_slotCount);
    for (;; slot = VDRW_NextSlot(slot, plan->m_slotCount), ++steps) {
        const ImagePart* part = plan->m_slots[slot] ? &plan->m_parts[plan->m_slots[slot] - 1] : NULL;
        if (!part || (part->m_w == w && part->m_h == h))
            break;
    }
    __atomic_fetch_add(&g_planSteps, steps, __ATOMIC_RELAXED);
    return slot;
}

static ImagePart* FindPart(const ImagePlan* plan, int w, int h) {
    if (!plan || plan->m_slotCount == 0)
        return NULL;
    const int index = plan->m_slots[SlotOf(plan, w, h)];
    return index ? &plan->m_parts[index - 1] : NULL;
}

static int Contains(fz_irect outer, fz_irect inner) {
    return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1;
}

/* A part is fitted to the pixel grid by its own edges, which moves the
 * image's pixels by up to a fraction of a pixel against the whole image's:
 * an image that decodes to fewer pixels than this is decoded whole. */
static const double kPartPixels = 1 << 22;

/* Every band decodes the part of a large image its drawing planned, never
 * just what the band needs: MuPDF's store, shared by the clones, would
 * otherwise hand a band another band's slice or its own depending on which
 * band decoded first, and the two are scaled and fitted to the pixel grid
 * differently. A small image, one outside the plan, or a request the plan
 * does not cover is decoded whole. */
static void DecodePlanned(void* arg, int w, int h, int l2factor, fz_irect* subarea) {
    const ImagePart* part = FindPart(t_plan, w, h);
    const double pixels = (double)(w >> l2factor) * (double)(h >> l2factor);
    (void)arg;
    if (part && !part->m_whole && pixels >= kPartPixels && Contains(part->m_area, *subarea))
        *subarea = part->m_area;
    else
        *subarea = fz_make_irect(0, 0, w, h);
}

static void DropShared(Shared* shared) {
    if (!shared)
        return;
    for (int i = 0; i < FZ_LOCK_MAX; ++i)
        pthread_mutex_destroy(&shared->m_locks[i]);
    VDRW_DropBlockCache(shared->m_blocks);
    free(shared);
}

static Shared* NewShared(void) {
    Shared* shared = calloc(1, sizeof *shared);
    if (!shared)
        return NULL;
    for (int i = 0; i < FZ_LOCK_MAX; ++i)
        pthread_mutex_init(&shared->m_locks[i], NULL);
    shared->m_blocks = VDRW_NewBlockCache(kLargeBlock, kKeptBlocks, kKeptBytes);
    if (!shared->m_blocks) {
        DropShared(shared);
        return NULL;
    }
    return shared;
}

VDRW_Engine* VDRW_NewEngine(VDRW_Status* status) {
    VDRW_Engine* engine = calloc(1, sizeof *engine);
    Shared* shared = engine ? NewShared() : NULL;
    if (shared) {
        const fz_alloc_context alloc = {shared->m_blocks, AllocBlock, ReallocBlock, FreeBlock};
        const fz_locks_context locks = {shared, Lock, Unlock};
        engine->m_ctx = fz_new_context(&alloc, &locks, FZ_STORE_DEFAULT);
    }
    if (!engine || !engine->m_ctx) {
        DropShared(shared);
        free(engine);
        SetStatus(status, VDRW_StatusNoMemory, "cannot create a MuPDF context");
        return NULL;
    }
    engine->m_shared = shared;
    /* Clones share the tuning. */
    fz_tune_image_decode(engine->m_ctx, DecodePlanned, NULL);
    SetUp(engine);
    SetStatus(status, VDRW_StatusOk, "");
    return engine;
}

VDRW_Engine* VDRW_CloneEngine(VDRW_Engine* base, VDRW_Status* status) {
    VDRW_Engine* engine = calloc(1, sizeof *engine);
    if (engine)
        engine->m_ctx = fz_clone_context(Context(base));
    if (!engine || !engine->m_ctx) {
        free(engine);
        SetStatus(status, VDRW_StatusNoMemory, "cannot clone a MuPDF context");
        return NULL;
    }
    engine->m_shared = base->m_shared;
    engine->m_clone = 1;
    SetUp(engine);
    SetStatus(status, VDRW_StatusOk, "");
    return engine;
}

void VDRW_DropEngine(VDRW_Engine* engine) {
    if (!engine)
        return;
    fz_drop_context(engine->m_ctx);
    if (!engine->m_clone)
        DropShared(engine->m_shared);
    free(engine);
}

void VDRW_TrimEngine(VDRW_Engine* engine) { VDRW_BlockTrim(engine->m_shared->m_blocks); }

int VDRW_EngineBlocksKept(VDRW_Engine* engine) { return VDRW_BlocksKept(engine->m_shared->m_blocks); }

void VDRW_AbortBands(VDRW_Engine* engine) { __atomic_store_n(&engine->m_cookie.abort, 1, __ATOMIC_RELAXED); }

static int Aborted(VDRW_Engine* engine) { return __atomic_load_n(&engine->m_cookie.abort, __ATOMIC_RELAXED); }

/* Deeper page trees are refused before they are drawn. */
enum { MaxPageTreeDepth = 256 };

/* MuPDF tells pages from nodes by /Type and skips nodes by /Count; the
 * stand-in counts every dictionary without /Kids, and every /Page whose
 * /Kids is not an array, as a page and trusts no /Count (an inner node's
 * /Kids that is not an array it refuses before drawing).
 * Writing the tree's Types and Counts as the stand-in reads it makes page
 * i the same page for both. Returns the pages below node. */
static int SetPageTree(fz_context* ctx, pdf_obj* node, int depth) {
    pdf_obj* kids;
    int pages = 0;
    if (depth > MaxPageTreeDepth || !pdf_is_dict(ctx, node) || pdf_mark_obj(ctx, node))
        return 0;
    kids = pdf_dict_get(ctx, node, PDF_NAME(Kids));
    if (depth > 0 && !pdf_is_array(ctx, kids)) {
        pdf_dict_put(ctx, node, PDF_NAME(Type), PDF_NAME(Page));
        pages = 1;
    } else {
        int i;
        for (i = 0; i < pdf_array_len(ctx, kids); ++i)
            pages += SetPageTree(ctx, pdf_array_get(ctx, kids, i), depth + 1);
        pdf_dict_put(ctx, node, PDF_NAME(Type), PDF_NAME(Pages));
        pdf_dict_put_int(ctx, node, PDF_NAME(Count), pages);
    }
    pdf_unmark_obj(ctx, node);
    return pages;
}

static void StartDrawing(VDRW_Engine* engine) {
    pthread_mutex_lock(&g_drawingLock);
    engine->m_nextDrawing = g_drawing;
    g_drawing = engine;
    /* A base engine outlives a stopped drawing; a clone's abort stays. */
    if (g_stopAll || !engine->m_clone)
        __atomic_store_n(&engine->m_cookie.abort, g_stopAll, __ATOMIC_RELAXED);
    pthread_mutex_unlock(&g_drawingLock);
}

static void EndDrawing(VDRW_Engine* engine) {
    pthread_mutex_lock(&g_drawingLock);
    VDRW_Engine** link = &g_drawing;
    while (*link && *link != engine)
        link = &(*link)->m_nextDrawing;
    if (*link)
        *link = engine->m_nextDrawing;
    engine->m_nextDrawing = NULL;
    pthread_mutex_unlock(&g_drawingLock);
}

void VDRW_StopAllDrawing(void) {
    pthread_mutex_lock(&g_drawingLock);
    g_stopAll = 1;
    for (VDRW_Engine* engine = g_drawing; engine; engine = engine->m_nextDrawing)
        VDRW_AbortBands(engine);
    pthread_mutex_unlock(&g_drawingLock);
}

void VDRW_AllowDrawing(void) {
    pthread_mutex_lock(&g_drawingLock);
    g_stopAll = 0;
    pthread_mutex_unlock(&g_drawingLock);
}

int VDRW_DrawingStopped(void) {
    pthread_mutex_lock(&g_drawingLock);
    const int stopped = g_stopAll;
    pthread_mutex_unlock(&g_drawingLock);
    return stopped;
}

static pdf_document* OpenOver(fz_context* ctx, fz_stream* stream) {
    pdf_document* document = pdf_open_document_with_stream(ctx, stream);
    fz_try(ctx) {
        SetPageTree(ctx, pdf_dict_getp(ctx, pdf_trailer(ctx, document), "Root/Pages"), 0);
    }
    fz_catch(ctx) {
        pdf_drop_document(ctx, document);
        fz_rethrow(ctx);
    }
    return document;
}

VDRW_Document* VDRW_OpenDocument(VDRW_Engine* engine, const unsigned char* bytes, size_t size,
                                 VDRW_Status* status) {
    fz_context* ctx = Context(engine);
    fz_buffer* buffer = NULL;
    fz_stream* stream = NULL;
    pdf_document* document = NULL;
    fz_var(buffer);
    fz_var(stream);
    fz_var(document);
    SetStatus(status, VDRW_StatusOk, "");
    fz_try(ctx) {
        Fault(ctx);
        buffer = fz_new_buffer_from_shared_data(ctx, bytes, size);
        stream = fz_open_buffer(ctx, buffer);
        document = OpenOver(ctx, stream);
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stream);
        fz_drop_buffer(ctx, buffer);
    }
    fz_catch(ctx) {
        pdf_drop_document(ctx, document);
        document = NULL;
        SetCaught(ctx, status);
    }
    return (VDRW_Document*)document;
}

void VDRW_DropDocument(VDRW_Engine* engine, VDRW_Document* document) {
    pdf_drop_document(Context(engine), (pdf_document*)document);
}

/* Reads page's contents into device, listening, and closes it: what the
 * reading lost, judged against the page's bytes by checked (of page);
 * null for nothing. The words are the engine's until the next reading. */
static const char* ReadContents(VDRW_Engine* engine, DocumentCheck* checked, pdf_page* page, fz_device* device,
                                fz_matrix ctm) {
    fz_context* ctx = Context(engine);
    StartListening(engine);
    pdf_run_page_contents(ctx, page, device, ctm, &engine->m_cookie);
    ReadingFault(ctx, &engine->m_cookie);
    fz_close_device(ctx, device);
    engine->m_reading = 0;
    return VDRW_EndReadingChecked(&engine->m_loss, CheckDocument, checked);
}

static VDRW_PageList* NewPageList(VDRW_Engine* engine, VDRW_Document* handle, int pageIndex,
                                  VDRW_Status* status) {
    fz_context* ctx = Context(engine);
    pdf_document* document = (pdf_document*)handle;
    pdf_page* page = NULL;
    fz_display_list* list = NULL;
    fz_device* device = NULL;
    fz_device* runRecorder = NULL;
    VDRW_MaskRuns* runs = NULL;
    VDRW_PageList* result = NULL;
    const char* lost = NULL;
    int shows[VDRW_CheckCount];
    DocumentCheck checked = {engine, document, pageIndex, shows};
    int pages = 0;
    fz_var(page);
    fz_var(list);
    fz_var(device);
    fz_var(runRecorder);
    fz_var(runs);
    fz_var(result);
    fz_var(pages);
    fz_var(lost);
    SetStatus(status, VDRW_StatusOk, "");
    engine->m_cookie.errors = 0;
    for (int i = 0; i < VDRW_CheckCount; ++i)
        shows[i] = -1;
    fz_try(ctx) {
        Fault(ctx);
        pages = pdf_count_pages(ctx, document);
        if (pageIndex >= 0 && pageIndex < pages) {
            fz_rect box;
            fz_matrix pageTransform;
            page = pdf_load_page(ctx, document, pageIndex);
            pdf_page_transform(ctx, page, &box, &pageTransform);
            list = fz_new_display_list(ctx, fz_infinite_rect);
            device = fz_new_list_device(ctx, list);
            runs = VDRW_NewMaskRuns(ctx);
            runRecorder = VDRW_NewMaskRunRecorder(ctx, device, runs);
            /* Recorded in user space, so that the drawing's matrix is the
             * only one that scales: MuPDF composes matrices in float, and a
             * page transform composed with the scale would move an edge
             * that lies on a pixel boundary off it. */
            ClearError(engine);
            /* The cookie counts a skipped stray token as it counts the
             * rest of a stream left unread, and a form's, a pattern cell's
             * or a glyph's errors not at all: what was lost is judged from
             * MuPDF's words. */
            /* A font, a map or an image is loaded once for the document,
             * so only the first page to use it hears its errors: once a
             * page of the document lost something, the next loads its own
             * afresh. Words that cost nothing are not worth a reload. */
            if (engine->m_heardIn == document)
                pdf_empty_store(ctx, document);
            lost = ReadContents(engine, &checked, page, runRecorder, fz_invert_matrix(pageTransform));
            fz_close_device(ctx, device);
            if (lost)
                engine->m_heardIn = document;
            result = fz_malloc_struct(ctx, VDRW_PageList);
            result->m_list = fz_keep_display_list(ctx, list);
            result->m_runs = runs;
            runs = NULL;
            result->m_unread = lost != NULL;
            snprintf(result->m_error, sizeof result->m_error, "%s", lost ? lost : "");
            result->m_document = document;
            result->m_pageIndex = pageIndex;
            pthread_mutex_init(&result->m_bandLock, NULL);
            /* The bands hear the reading's checks. */
            memcpy(result->m_bandShows, shows, sizeof result->m_bandShows);
            result->m_grey = VDRW_ListComposesGrey(ctx, list, result->m_runs);
        }
    }
    fz_always(ctx) {
        engine->m_reading = 0;
        fz_drop_device(ctx, runRecorder);
        fz_drop_device(ctx, device);
        VDRW_DropMaskRuns(ctx, runs);
        fz_drop_display_list(ctx, list);
        fz_drop_page(ctx, (fz_page*)page);
    }
    fz_catch(ctx) {
        SetCaught(ctx, status);
        return NULL;
    }
    if (!result) {
        char text[96];
        snprintf(text, sizeof text, "no page %d in a document of %d pages", pageIndex, pages);
        SetStatus(status, VDRW_StatusNoPage, text);
    }
    return result;
}

VDRW_PageList* VDRW_NewPageList(VDRW_Engine* engine, VDRW_Document* document, int pageIndex,
                                VDRW_Status* status) {
    StartDrawing(engine);
    VDRW_PageList* list = NewPageList(engine, document, pageIndex, status);
    EndDrawing(engine);
    /* A list cut short by a stop would draw as a page with less on it. */
    if (list && Aborted(engine)) {
        VDRW_DropPageList(engine, list);
        list = NULL;
        SetStatus(status, VDRW_StatusAborted, "");
    }
    return list;
}

const char* VDRW_PageListError(const VDRW_PageList* list) {
    VDRW_PageList* bands = (VDRW_PageList*)list; /* for its lock */
    const char* lost;
    if (list->m_unread)
        return list->m_error;
    pthread_mutex_lock(&bands->m_bandLock);
    lost = list->m_bandLost ? list->m_bandError : NULL;
    pthread_mutex_unlock(&bands->m_bandLock);
    return lost;
}

static void ClearPlan(fz_context* ctx, ImagePlan* plan) {
    for (int i = 0; i < plan->m_count; ++i)
        fz_drop_pixmap(ctx, plan->m_parts[i].m_decoded);
    plan->m_count = 0;
    if (plan->m_slots)
        memset(plan->m_slots, 0, sizeof *plan->m_slots * (size_t)plan->m_slotCount);
}

void VDRW_DropPageList(VDRW_Engine* engine, VDRW_PageList* list) {
    if (!list)
        return;
    /* An image is decoded once for the document too: one that lost
     * something is loaded afresh by the next reading, so that the next
     * drawing hears its loss. Words that cost nothing are not worth it:
     * bands that decode an image at once are told the store has it. */
    if (list->m_bandLost)
        engine->m_heardIn = list->m_document;
    pthread_mutex_destroy(&list->m_bandLock);
    fz_drop_display_list(Context(engine), list->m_list);
    VDRW_DropMaskRuns(Context(engine), list->m_runs);
    ClearPlan(Context(engine), &list->m_plan);
    VDRW_DropTilePlan(Context(engine), list->m_tiles);
    fz_free(Context(engine), list->m_plan.m_parts);
    fz_free(Context(engine), list->m_plan.m_slots);
    fz_free(Context(engine), list);
}

/* Image pixels beyond what MuPDF's draw device asks for a band (its
 * scalers' margin, which it adds too), for rounding in float. */
enum { kPartSlack = 2 };

typedef struct PlanDevice {
    fz_device m_super;
    ImagePlan* m_plan;
    fz_rect m_area; /* the drawing's pixels */
    int m_tiles;    /* tiling patterns open: their tile, not the drawing, bounds an image */
    int m_decode;   /* the second pass: the plan is made, its parts are decoded */
    const VDRW_MaskRuns* m_runs; /* whose images count as the list's own */
    fz_matrix m_ctm;
} PlanDevice;

/* Twice the slots, the parts placed again; the plan is unchanged when the
 * allocation throws. */
static void GrowSlots(fz_context* ctx, ImagePlan* plan) {
    const int slotCount = plan->m_slotCount ? plan->m_slotCount * 2 : 16;
    int* slots = fz_calloc(ctx, (size_t)slotCount, sizeof *slots);
    fz_free(ctx, plan->m_slots);
    plan->m_slots = slots;
    plan->m_slotCount = slotCount;
    for (int i = 0; i < plan->m_count; ++i)
        slots[SlotOf(plan, plan->m_parts[i].m_w, plan->m_parts[i].m_h)] = i + 1;
}

static void AddPart(fz_context* ctx, ImagePlan* plan, int w, int h, int whole, fz_irect area) {
    ImagePart* part = FindPart(plan, w, h);
    if (part) {
        part->m_whole |= whole;
        part->m_area = fz_make_irect(fz_mini(part->m_area.x0, area.x0), fz_mini(part->m_area.y0, area.y0),
                                     fz_maxi(part->m_area.x1, area.x1), fz_maxi(part->m_area.y1, area.y1));
        return;
    }
    if (plan->m_count == plan->m_capacity) {
        const int capacity = plan->m_capacity ? plan->m_capacity * 2 : 8;
        plan->m_parts = fz_realloc_array(ctx, plan->m_parts, capacity, ImagePart);
        plan->m_capacity = capacity;
    }
    if (VDRW_SlotsFull(plan->m_count, plan->m_slotCount))
        GrowSlots(ctx, plan);
    plan->m_slots[SlotOf(plan, w, h)] = plan->m_count + 1;
    part = &plan->m_parts[plan->m_count++];
    part->m_w = w;
    part->m_h = h;
    part->m_whole = whole;
    part->m_area = area;
    part->m_decoded = NULL;
    part->m_ahead = 0;
}

/* A large image's part is decoded once, here, and kept for the drawing, so
 * that the bands find it in MuPDF's store instead of each decoding it at
 * once. A failure is left for the band to meet as it would. Each size is
 * decoded ahead once, for its first image: a part that came out whole is
 * not kept, and is left to the bands. */
static void DecodeAhead(fz_context* ctx, PlanDevice* device, fz_image* image, fz_matrix ctm) {
    ImagePart* part = FindPart(device->m_plan, image->w, image->h);
    fz_pixmap* pixmap = NULL;
    fz_matrix moved = ctm;
    fz_var(part);
    fz_var(pixmap);
    fz_var(moved);
    if (!part || part->m_whole || part->m_ahead || (double)image->w * image->h < kPartPixels)
        return;
    part->m_ahead = 1;
    __atomic_fetch_add(&g_decodedAhead, 1, __ATOMIC_RELAXED);
    fz_try(ctx) {
        pixmap = fz_get_pixmap_from_image(ctx, image, &part->m_area, &moved, NULL, NULL);
    }
    fz_catch(ctx) {
        pixmap = NULL;
    }
    /* An unmoved matrix: decoded whole (subsampled to a small image). */
    if (pixmap && memcmp(&moved, &ctm, sizeof ctm) != 0)
        part->m_decoded = pixmap;
    else
        fz_drop_pixmap(ctx, pixmap);
}

/* The image pixels that MuPDF's draw device asks for when the drawing's
 * whole area is one band: the area mapped back into the image, widened by
 * the scalers' margin. */
static void PlanImage(fz_context* ctx, PlanDevice* device, fz_image* image, fz_matrix ctm) {
    const fz_irect whole = fz_make_irect(0, 0, image->w, image->h);
    fz_matrix inverse;
    if (image->w <= 0 || image->h <= 0)
        return;
    if (device->m_decode) {
        DecodeAhead(ctx, device, image, ctm);
    } else if (device->m_tiles > 0 || (image->use_colorkey && image->mask) || fz_try_invert_matrix(&inverse, ctm)) {
        /* A matte image and its mask are decoded together, area for area. */
        AddPart(ctx, device->m_plan, image->w, image->h, 1, whole);
    } else {
        inverse = fz_post_scale(inverse, image->w, image->h);
        const float margin = fz_max(fz_matrix_max_expansion(inverse), 1) * 4 + kPartSlack;
        const fz_rect shown = fz_expand_rect(fz_transform_rect(device->m_area, inverse), margin);
        const fz_irect part = fz_intersect_irect(fz_irect_from_rect(shown), whole);
        if (!fz_is_empty_irect(part))
            AddPart(ctx, device->m_plan, image->w, image->h, 0, part);
    }
    if (image->mask)
        PlanImage(ctx, device, image->mask, ctm);
}

/* A run of masked marks (VDRW_MaskRuns.h) is planned as drawn, when it
 * holds images. */
static void PlanFillImage(fz_context* ctx, fz_device* device, fz_image* image, fz_matrix ctm, float alpha,
                          fz_color_params params) {
    PlanDevice* plan = (PlanDevice*)device;
    const int run = VDRW_MaskRunIndex(plan->m_runs, image);
    (void)alpha;
    (void)params;
    if (run < 0)
        PlanImage(ctx, plan, image, ctm);
    else if (VDRW_MaskRunHasImages(plan->m_runs, run))
        fz_run_display_list(ctx, VDRW_MaskRunList(plan->m_runs, run), device, plan->m_ctm, plan->m_area, NULL);
}

static void PlanFillImageMask(fz_context* ctx, fz_device* device, fz_image* image, fz_matrix ctm,
                              fz_colorspace* space, const float* color, float alpha, fz_color_params params) {
    (void)space;
    (void)color;
    (void)alpha;
    (void)params;
    PlanImage(ctx, (PlanDevice*)device, image, ctm);
}

static void PlanClipImageMask(fz_context* ctx, fz_device* device, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    (void)scissor;
    PlanImage(ctx, (PlanDevice*)device, image, ctm);
}

static int PlanBeginTile(fz_context* ctx, fz_device* device, fz_rect area, fz_rect view, float xstep, float ystep,
                         fz_matrix ctm, int id) {
    (void)ctx, (void)area, (void)view, (void)xstep, (void)ystep, (void)ctm, (void)id;
    ++((PlanDevice*)device)->m_tiles;
    return 0; /* the tile's contents are wanted */
}

static void PlanEndTile(fz_context* ctx, fz_device* device) {
    (void)ctx;
    --((PlanDevice*)device)->m_tiles;
}

int VDRW_PlanImageDecode(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform* userToDevice,
                         const VDRW_Band* area, VDRW_Status* status) {
    fz_context* ctx = Context(engine);
    PlanDevice* device = NULL;
    fz_var(device);
    SetStatus(status, VDRW_StatusOk, "");
    ClearPlan(ctx, &list->m_plan);
    /* Large images are decoded here, ahead of the bands. */
    StartListening(engine);
    fz_try(ctx) {
        const fz_matrix host = fz_make_matrix((float)userToDevice->m_a, (float)userToDevice->m_b,
                                              (float)userToDevice->m_c, (float)userToDevice->m_d,
                                              (float)userToDevice->m_e, (float)userToDevice->m_f);
        const fz_rect pixels = fz_make_rect((float)area->m_x, (float)area->m_y, (float)(area->m_x + area->m_width),
                                            (float)(area->m_y + area->m_height));
        Fault(ctx);
        device = fz_new_derived_device(ctx, PlanDevice);
        device->m_super.fill_image = PlanFillImage;
        device->m_super.fill_image_mask = PlanFillImageMask;
        device->m_super.clip_image_mask = PlanClipImageMask;
        device->m_super.begin_tile = PlanBeginTile;
        device->m_super.end_tile = PlanEndTile;
        device->m_runs = list->m_runs;
        device->m_ctm = host;
        device->m_plan = &list->m_plan;
        device->m_area = pixels;
        t_plan = &list->m_plan;
        for (device->m_decode = 0; device->m_decode < 2; ++device->m_decode)
            fz_run_display_list(ctx, list->m_list, &device->m_super, host,
                                pixels, NULL);
        fz_close_device(ctx, &device->m_super);
    }
    fz_always(ctx) {
        t_plan = NULL;
        HearBand(engine, list, INT_MIN);
        fz_drop_device(ctx, (fz_device*)device);
    }
    fz_catch(ctx) {
        /* No plan: every image is decoded whole. */
        ClearPlan(ctx, &list->m_plan);
        SetCaught(ctx, status);
        return 0;
    }
    return 1;
}

static fz_matrix Matrix(const VDRW_Transform* t) {
    return fz_make_matrix((float)t->m_a, (float)t->m_b, (float)t->m_c, (float)t->m_d, (float)t->m_e, (float)t->m_f);
}

int VDRW_PlanPatterns(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform* userToDevice,
                      const VDRW_Band* page, VDRW_Status* status) {
    fz_context* ctx = Context(engine);
    SetStatus(status, VDRW_StatusOk, "");
    VDRW_DropTilePlan(ctx, list->m_tiles);
    list->m_tiles = NULL;
    fz_try(ctx) {
        const fz_rect pixels = fz_make_rect((float)page->m_x, (float)page->m_y, (float)(page->m_x + page->m_width),
                                            (float)(page->m_y + page->m_height));
        Fault(ctx);
        list->m_tiles = VDRW_NewTilePlan(ctx, list->m_list, list->m_runs, Matrix(userToDevice), pixels);
    }
    fz_catch(ctx) {
        SetCaught(ctx, status);
        return 0;
    }
    return 1;
}

static int DrawBand(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform* userToDevice,
                    const VDRW_Band* band, VDRW_Status* status) {
    fz_context* ctx = Context(engine);
    fz_cookie* cookie = &engine->m_cookie;
    fz_pixmap* pixmap = NULL;
    fz_device* device = NULL;
    fz_device* groups = NULL;
    fz_device* masks = NULL;
    fz_device* snap = NULL;
    fz_var(pixmap);
    fz_var(device);
    fz_var(groups);
    fz_var(masks);
    fz_var(snap);
    SetStatus(status, VDRW_StatusOk, "");
    ClearError(engine);
    cookie->errors = 0;
    if (Aborted(engine)) {
        SetStatus(status, VDRW_StatusAborted, "");
        return 0;
    }
    StartListening(engine);
    fz_try(ctx) {
        const fz_matrix host = fz_make_matrix((float)userToDevice->m_a, (float)userToDevice->m_b,
                                              (float)userToDevice->m_c, (float)userToDevice->m_d,
                                              (float)userToDevice->m_e, (float)userToDevice->m_f);
        const fz_irect area = fz_make_irect(band->m_x, band->m_y, band->m_x + band->m_width,
                                            band->m_y + band->m_height);
        Fault(ctx);
        /* An ink's grey page is drawn in CMYK, where a group's transparent
         * start is no ink (VDRW_InkBand.h). */
        pixmap = list->m_grey ? VDRW_NewInkBand(ctx, band) : NULL;
        if (!pixmap)
            pixmap = fz_new_pixmap_with_bbox_and_data(ctx, fz_device_bgr(ctx), area, NULL, 1, band->m_pixels);
        device = fz_new_draw_device(ctx, fz_identity, pixmap);
        if (fz_pixmap_colorspace(ctx, pixmap) == fz_device_cmyk(ctx))
            groups = VDRW_NewInkDevice(ctx, device);
        masks = VDRW_NewSoftMaskDevice(ctx, groups ? groups : device, area);
        snap = VDRW_NewSnapDevice(ctx, masks, fz_rect_from_irect(area), cookie, list->m_tiles);
        VDRW_SetSoftMaskRuns(masks, list->m_runs, snap, host, cookie);
        t_plan = &list->m_plan;
        VDRW_SetDrawingInkBand(groups != NULL);
        fz_run_display_list(ctx, list->m_list, snap, host, fz_rect_from_irect(area), cookie);
        fz_close_device(ctx, snap);
        fz_close_device(ctx, masks);
        if (groups)
            fz_close_device(ctx, groups);
        fz_close_device(ctx, device);
        if (groups)
            VDRW_PutInkBand(pixmap, band);
    }
    fz_always(ctx) {
        t_plan = NULL;
        VDRW_SetDrawingInkBand(0);
        HearBand(engine, list, band->m_y);
        fz_drop_device(ctx, snap);
        fz_drop_device(ctx, masks);
        fz_drop_device(ctx, groups);
        fz_drop_device(ctx, device);
        fz_drop_pixmap(ctx, pixmap);
    }
    fz_catch(ctx) {
        /* An aborted list may leave the device's stack unbalanced. */
        if (Aborted(engine))
            SetStatus(status, VDRW_StatusAborted, "");
        else
            SetCaught(ctx, status);
        return 0;
    }
    if (Aborted(engine)) {
        SetStatus(status, VDRW_StatusAborted, "");
        return 0;
    }
    /* The list goes past a command that fails; the drawing has failed all
     * the same. */
    if (cookie->errors > 0) {
        char text[sizeof status->m_message];
        snprintf(text, sizeof text, "%s", engine->m_errorSeen ? engine->m_error : "an error inside MuPDF");
        SetStatus(status, VDRW_StatusFailed, text);
        return 0;
    }
    return 1;
}

int VDRW_DrawBand(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform* userToDevice,
                  const VDRW_Band* band, VDRW_Status* status) {
    StartDrawing(engine);
    const int drawn = DrawBand(engine, list, userToDevice, band, status);
    EndDrawing(engine);
    return drawn;
}
