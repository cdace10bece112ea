#include "VDRW_ColourGlyphs.h"

#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

static int IsColourGlyph(const fz_font* font, int gid) {
    if (!font->t3procs || !font->t3flags || gid < 0 || gid > 255)
        return 0;
    const int flags = font->t3flags[gid];
    return (flags & FZ_DEVFLAG_COLOR) && !(flags & FZ_DEVFLAG_MASK);
}

int VDRW_HasColourGlyphs(fz_context* ctx, const fz_text* text) {
    (void)ctx;
    for (const fz_text_span* span = text->head; span; span = span->next) {
        if (!span->font->t3procs)
            continue;
        for (int i = 0; i < span->len; ++i)
            if (IsColourGlyph(span->font, span->items[i].gid))
                return 1;
    }
    return 0;
}

static void Show(fz_context* ctx, fz_text** text, const fz_text_span* span, const fz_text_item* item) {
    fz_matrix trm = span->trm;
    trm.e = item->x;
    trm.f = item->y;
    if (!*text)
        *text = fz_new_text(ctx);
    fz_show_glyph(ctx, *text, span->font, trm, item->gid, item->ucs, span->wmode, span->bidi_level,
                  (fz_bidi_direction)span->markup_dir, (fz_text_language)span->language);
}

void VDRW_SplitColourGlyphs(fz_context* ctx, const fz_text* text, fz_text** coloured, fz_text** rest) {
    *coloured = NULL;
    *rest = NULL;
    fz_try(ctx) {
        for (const fz_text_span* span = text->head; span; span = span->next)
            for (int i = 0; i < span->len; ++i)
                Show(ctx, IsColourGlyph(span->font, span->items[i].gid) ? coloured : rest, span, &span->items[i]);
    }
    fz_catch(ctx) {
        fz_drop_text(ctx, *coloured);
        fz_drop_text(ctx, *rest);
        *coloured = NULL;
        *rest = NULL;
        fz_rethrow(ctx);
    }
}

/* As MuPDF's glyph cache: a glyph larger than this is rendered each time
 * within the area it is wanted for, and a rendering as wide or as high is
 * not kept. */
enum { kMostKeptSize = 256 };

/* The renderings kept, in bytes, by every engine. Past the most, all are
 * let go, as MuPDF's glyph cache once did: pages whose fonts are closed
 * keep theirs until then. */
static const size_t kMostKeptBytes = 16u << 20;
static size_t g_keptBytes;

/* A rendering's key: the glyph, its matrix less the translation, in
 * 1/65536, and its subpixel place, in 1/256, as the glyph cache keys it. */
typedef struct CoverageKey {
    int m_refs;
    fz_font* m_font;
    int m_gid;
    int m_aa;
    int m_matrix[4];
    unsigned char m_e, m_f;
} CoverageKey;

static int HashKey(fz_context* ctx, fz_store_hash* hash, void* key) {
    (void)ctx;
    const CoverageKey* k = key;
    hash->u.pir.ptr = k->m_font;
    hash->u.pir.i = k->m_gid | k->m_e << 8 | k->m_f << 16 | k->m_aa << 24;
    hash->u.pir.r.x0 = k->m_matrix[0];
    hash->u.pir.r.y0 = k->m_matrix[1];
    hash->u.pir.r.x1 = k->m_matrix[2];
    hash->u.pir.r.y1 = k->m_matrix[3];
    return 1;
}

/* Counted without MuPDF's locks, whose inline helpers want its debug
 * build's checks outside NDEBUG. */
static void* KeepKey(fz_context* ctx, void* key) {
    (void)ctx;
    __atomic_add_fetch(&((CoverageKey*)key)->m_refs, 1, __ATOMIC_RELAXED);
    return key;
}

static void DropKey(fz_context* ctx, void* key) {
    CoverageKey* k = key;
    if (k && __atomic_sub_fetch(&k->m_refs, 1, __ATOMIC_ACQ_REL) == 0) {
        fz_drop_font(ctx, k->m_font);
        fz_free(ctx, k);
    }
}

static int CompareKeys(fz_context* ctx, void* a, void* b) {
    (void)ctx;
    const CoverageKey *x = a, *y = b;
    return x->m_font != y->m_font || x->m_gid != y->m_gid || x->m_aa != y->m_aa || x->m_e != y->m_e ||
           x->m_f != y->m_f || memcmp(x->m_matrix, y->m_matrix, sizeof x->m_matrix) != 0;
}

static void FormatKey(fz_context* ctx, char* text, size_t size, void* key) {
    (void)ctx;
    const CoverageKey* k = key;
    snprintf(text, size, "(coverage of colour glyph %d at %d %d %d %d)", k->m_gid, k->m_matrix[0], k->m_matrix[1],
             k->m_matrix[2], k->m_matrix[3]);
}

/* Once its document is closed MuPDF has no more use for the font's
 * glyphs: a kept rendering would only keep the font. */
static int NeedsReap(fz_context* ctx, void* key) {
    (void)ctx;
    return ((CoverageKey*)key)->m_font->t3doc == NULL;
}

static const fz_store_type kCoverageType = {"VDRW_ColourGlyphCoverage", HashKey,   KeepKey,  DropKey,
                                            CompareKeys,                FormatKey, NeedsReap};

/* A kept rendering, as the store holds it. */
typedef struct KeptCoverage {
    fz_storable storable;
    fz_pixmap* m_pixmap;
    size_t m_bytes;
} KeptCoverage;

static void DropKept(fz_context* ctx, fz_storable* item) {
    KeptCoverage* kept = (KeptCoverage*)item;
    __atomic_sub_fetch(&g_keptBytes, kept->m_bytes, __ATOMIC_RELAXED);
    fz_drop_pixmap(ctx, kept->m_pixmap);
    fz_free(ctx, kept);
}

static int AnyKept(fz_context* ctx, void* arg, void* key) {
    (void)ctx;
    (void)arg;
    (void)key;
    return 1;
}

/* pixmap's alpha alone: half what its gray rendering would keep. */
static fz_pixmap* AlphaOf(fz_context* ctx, fz_pixmap* pixmap) {
    fz_pixmap* alpha = NULL;
    fz_var(alpha);
    fz_try(ctx) {
        alpha = fz_new_pixmap_with_bbox(ctx, NULL, fz_pixmap_bbox(ctx, pixmap), NULL, 1);
        for (int y = 0; y < pixmap->h; ++y) {
            const unsigned char* s = pixmap->samples + (ptrdiff_t)y * pixmap->stride + pixmap->n - 1;
            unsigned char* d = alpha->samples + (ptrdiff_t)y * alpha->stride;
            for (int x = 0; x < pixmap->w; ++x, s += pixmap->n)
                d[x] = *s;
        }
    }
    fz_always(ctx) fz_drop_pixmap(ctx, pixmap);
    fz_catch(ctx) fz_rethrow(ctx);
    return alpha;
}

/* The pixels MuPDF renders the glyph under subpix over, before a scissor. */
static fz_irect GlyphBox(fz_context* ctx, fz_font* font, int gid, fz_matrix subpix) {
    return fz_irect_from_rect(fz_expand_rect(fz_bound_glyph(ctx, font, gid, subpix), 1));
}

/* Whether a glyph of that box is rendered past what MuPDF's glyph cache
 * keeps. */
static int TooLargeToKeep(fz_irect box) {
    return (int64_t)box.x1 - box.x0 >= kMostKeptSize || (int64_t)box.y1 - box.y0 >= kMostKeptSize;
}

/* The glyph under subpix (its subpixel place only) within scissor, in
 * model, as MuPDF renders a coloured Type 3 glyph for a fill. NULL where it
 * covers nothing there. */
static fz_pixmap* RenderIn(fz_context* ctx, fz_font* font, int gid, fz_matrix subpix, fz_irect scissor,
                           fz_colorspace* model) {
    const fz_irect box = fz_intersect_irect(GlyphBox(ctx, font, gid, subpix), scissor);
    if (fz_is_empty_irect(box))
        return NULL;
    fz_pixmap* glyph = fz_new_pixmap_with_bbox(ctx, model, box, NULL, 1);
    fz_device* dev = NULL;
    fz_var(dev);
    fz_try(ctx) {
        fz_clear_pixmap(ctx, glyph);
        dev = fz_new_draw_device_type3(ctx, fz_identity, glyph);
        fz_run_t3_glyph(ctx, font, gid, subpix, dev);
        fz_close_device(ctx, dev);
    }
    fz_always(ctx) fz_drop_device(ctx, dev);
    fz_catch(ctx) {
        fz_drop_pixmap(ctx, glyph);
        fz_rethrow(ctx);
    }
    return glyph;
}

/* The glyph's alpha alone; drawn in gray, since asked for as a mask MuPDF
 * warns of a coloured glyph. */
static fz_pixmap* Render(fz_context* ctx, fz_font* font, int gid, fz_matrix subpix, fz_irect scissor) {
    fz_pixmap* glyph = RenderIn(ctx, font, gid, subpix, scissor, fz_device_gray(ctx));
    return glyph ? AlphaOf(ctx, glyph) : NULL;
}

/* The kept rendering of the glyph at key's size and place, made and kept
 * when missing; NULL where it covers nothing. */
static fz_pixmap* KeptRendering(fz_context* ctx, const CoverageKey* probe, fz_matrix subpix) {
    KeptCoverage* kept = fz_find_item(ctx, DropKept, (void*)probe, &kCoverageType);
    if (kept) {
        fz_pixmap* found = fz_keep_pixmap(ctx, kept->m_pixmap);
        fz_drop_storable(ctx, &kept->storable);
        return found;
    }
    fz_pixmap* glyph = Render(ctx, probe->m_font, probe->m_gid, subpix, fz_infinite_irect);
    if (!glyph || glyph->w >= kMostKeptSize || glyph->h >= kMostKeptSize)
        return glyph;
    CoverageKey* key = NULL;
    fz_var(key);
    fz_var(kept);
    fz_try(ctx) {
        if (__atomic_load_n(&g_keptBytes, __ATOMIC_RELAXED) > kMostKeptBytes)
            fz_filter_store(ctx, AnyKept, NULL, &kCoverageType);
        kept = fz_malloc_struct(ctx, KeptCoverage);
        FZ_INIT_STORABLE(kept, 1, DropKept);
        kept->m_pixmap = fz_keep_pixmap(ctx, glyph);
        kept->m_bytes = (size_t)glyph->stride * (size_t)glyph->h;
        __atomic_add_fetch(&g_keptBytes, kept->m_bytes, __ATOMIC_RELAXED);
        key = fz_malloc_struct(ctx, CoverageKey);
        *key = *probe;
        key->m_refs = 1;
        fz_keep_font(ctx, key->m_font);
        /* Another band may have kept its own meanwhile: the same pixels. */
        KeptCoverage* there = fz_store_item(ctx, key, kept, kept->m_bytes, &kCoverageType);
        if (there)
            fz_drop_storable(ctx, &there->storable);
    }
    fz_always(ctx) {
        DropKey(ctx, key);
        if (kept)
            fz_drop_storable(ctx, &kept->storable);
    }
    fz_catch(ctx) {
        fz_drop_pixmap(ctx, glyph);
        fz_rethrow(ctx);
    }
    return glyph;
}

/* glyph's alpha over mask's, glyph placed dx, dy further. */
static void AddAlpha(fz_pixmap* mask, const fz_pixmap* glyph, int dx, int dy) {
    const fz_irect to = fz_intersect_irect(
        fz_make_irect(mask->x, mask->y, mask->x + mask->w, mask->y + mask->h),
        fz_make_irect(glyph->x + dx, glyph->y + dy, glyph->x + dx + glyph->w, glyph->y + dy + glyph->h));
    if (fz_is_empty_irect(to))
        return;
    for (int y = to.y0; y < to.y1; ++y) {
        unsigned char* d = mask->samples + (ptrdiff_t)(y - mask->y) * mask->stride +
                           (ptrdiff_t)(to.x0 - mask->x) * mask->n + mask->n - 1;
        const unsigned char* s = glyph->samples + (ptrdiff_t)(y - dy - glyph->y) * glyph->stride +
                                 (ptrdiff_t)(to.x0 - dx - glyph->x) * glyph->n + glyph->n - 1;
        for (int x = to.x0; x < to.x1; ++x, d += mask->n, s += glyph->n)
            *d = (unsigned char)(*s + fz_mul255(*d, 255 - *s));
    }
}

/* Past this a glyph's place is no whole pixel an int holds. */
static const float kFarthest = 1 << 24;

static void AddGlyph(fz_context* ctx, fz_font* font, int gid, fz_matrix trm, fz_pixmap* mask) {
    const fz_irect area = fz_make_irect(mask->x, mask->y, mask->x + mask->w, mask->y + mask->h);
    if (fz_is_empty_rect(fz_intersect_rect(fz_expand_rect(fz_bound_glyph(ctx, font, gid, trm), 2),
                                           fz_rect_from_irect(area))) ||
        !(fabsf(trm.e) < kFarthest && fabsf(trm.f) < kFarthest))
        return;
    CoverageKey probe = {1, font, gid, fz_aa_level(ctx), {0, 0, 0, 0}, 0, 0};
    fz_matrix subpix;
    const float size = fz_subpixel_adjust(ctx, &trm, &subpix, &probe.m_e, &probe.m_f);
    const int dx = (int)floorf(trm.e), dy = (int)floorf(trm.f);
    fz_pixmap* glyph = NULL;
    /* A matrix of size in bounds may still stretch a glyph past any pixmap;
     * a rendering too large to keep is made within the area alone. */
    const int keepable = size <= kMostKeptSize && fabsf(subpix.a) < kMostKeptSize &&
                         fabsf(subpix.b) < kMostKeptSize && fabsf(subpix.c) < kMostKeptSize &&
                         fabsf(subpix.d) < kMostKeptSize && !TooLargeToKeep(GlyphBox(ctx, font, gid, subpix));
    if (keepable) {
        probe.m_matrix[0] = (int)(subpix.a * 65536);
        probe.m_matrix[1] = (int)(subpix.b * 65536);
        probe.m_matrix[2] = (int)(subpix.c * 65536);
        probe.m_matrix[3] = (int)(subpix.d * 65536);
        glyph = KeptRendering(ctx, &probe, subpix);
    } else {
        glyph = Render(ctx, font, gid, subpix, fz_translate_irect(area, -dx, -dy));
    }
    if (glyph)
        AddAlpha(mask, glyph, dx, dy);
    fz_drop_pixmap(ctx, glyph);
}

/* Calls each on every glyph of text that sets its own colour, with its
 * place under ctm. */
static void EachColourGlyph(fz_context* ctx, const fz_text* text, fz_matrix ctm, void* arg,
                            void (*each)(fz_context*, fz_font*, int, fz_matrix, void*)) {
    for (const fz_text_span* span = text->head; span; span = span->next) {
        fz_matrix trm = span->trm;
        for (int i = 0; i < span->len; ++i) {
            if (!IsColourGlyph(span->font, span->items[i].gid))
                continue;
            trm.e = span->items[i].x;
            trm.f = span->items[i].y;
            each(ctx, span->font, span->items[i].gid, fz_concat(trm, ctm), arg);
        }
    }
}

static void RunGlyph(fz_context* ctx, fz_font* font, int gid, fz_matrix trm, void* dev) {
    fz_run_t3_glyph(ctx, font, gid, trm, (fz_device*)dev);
}

static void CoverGlyph(fz_context* ctx, fz_font* font, int gid, fz_matrix trm, void* mask) {
    AddGlyph(ctx, font, gid, trm, (fz_pixmap*)mask);
}

void VDRW_RunColourGlyphs(fz_context* ctx, const fz_text* text, fz_matrix ctm, fz_device* dev) {
    EachColourGlyph(ctx, text, ctm, dev, RunGlyph);
}

void VDRW_AddColourGlyphCoverage(fz_context* ctx, const fz_text* text, fz_matrix ctm, fz_pixmap* mask) {
    EachColourGlyph(ctx, text, ctm, mask, CoverGlyph);
}

/* Whether MuPDF's draw device renders the glyph under trm whole wherever
 * its text is drawn, and keeps no rendering: a size its glyph cache takes,
 * whose rendering is too large to keep. */
static int RenderedWholeEachTime(fz_context* ctx, fz_font* font, int gid, fz_matrix trm) {
    if (!IsColourGlyph(font, gid))
        return 0;
    fz_matrix subpix;
    unsigned char e, f;
    if (fz_subpixel_adjust(ctx, &trm, &subpix, &e, &f) > kMostKeptSize)
        return 0;
    return TooLargeToKeep(GlyphBox(ctx, font, gid, subpix));
}

/* The part of the glyph under trm within area, rendered in model and
 * painted onto dev as MuPDF's draw device paints a coloured glyph: as an
 * image of its pixels, one to one, at alpha. */
static void PaintPart(fz_context* ctx, fz_device* dev, fz_font* font, int gid, fz_matrix trm, float alpha,
                      fz_color_params params, fz_colorspace* model, fz_irect area) {
    if (!(fabsf(trm.e) < kFarthest && fabsf(trm.f) < kFarthest))
        return;
    fz_matrix subpix;
    unsigned char e, f;
    fz_subpixel_adjust(ctx, &trm, &subpix, &e, &f);
    const int dx = (int)floorf(trm.e), dy = (int)floorf(trm.f);
    fz_pixmap* part = RenderIn(ctx, font, gid, subpix, fz_translate_irect(area, -dx, -dy), model);
    if (!part)
        return;
    fz_image* image = NULL;
    fz_var(image);
    fz_try(ctx) {
        image = fz_new_image_from_pixmap(ctx, part, NULL);
        const fz_matrix place =
            fz_make_matrix((float)part->w, 0, 0, (float)part->h, (float)(dx + part->x), (float)(dy + part->y));
        fz_fill_image(ctx, dev, image, place, alpha, params);
    }
    fz_always(ctx) {
        fz_drop_image(ctx, image);
        fz_drop_pixmap(ctx, part);
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

int VDRW_HasGlyphsRenderedWholeEachTime(fz_context* ctx, const fz_text* text, fz_matrix ctm) {
    for (const fz_text_span* span = text->head; span; span = span->next) {
        if (!span->font->t3procs)
            continue;
        fz_matrix trm = span->trm;
        for (int i = 0; i < span->len; ++i) {
            trm.e = span->items[i].x;
            trm.f = span->items[i].y;
            if (RenderedWholeEachTime(ctx, span->font, span->items[i].gid, fz_concat(trm, ctm)))
                return 1;
        }
    }
    return 0;
}

void VDRW_FillTextWithin(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                         const float* color, float alpha, fz_color_params params, fz_colorspace* model,
                         fz_irect area) {
    if (!model || !VDRW_HasGlyphsRenderedWholeEachTime(ctx, text, ctm)) {
        fz_fill_text(ctx, dev, text, ctm, cs, color, alpha, params);
        return;
    }
    /* The other glyphs go as texts between them, so that the glyphs stay
     * in their order. */
    fz_text* between = NULL;
    fz_var(between);
    fz_try(ctx) {
        for (const fz_text_span* span = text->head; span; span = span->next) {
            fz_matrix trm = span->trm;
            for (int i = 0; i < span->len; ++i) {
                trm.e = span->items[i].x;
                trm.f = span->items[i].y;
                const fz_matrix placed = fz_concat(trm, ctm);
                if (!RenderedWholeEachTime(ctx, span->font, span->items[i].gid, placed)) {
                    Show(ctx, &between, span, &span->items[i]);
                    continue;
                }
                if (between) {
                    fz_fill_text(ctx, dev, between, ctm, cs, color, alpha, params);
                    fz_drop_text(ctx, between);
                    between = NULL;
                }
                PaintPart(ctx, dev, span->font, span->items[i].gid, placed, alpha, params, model, area);
            }
        }
        if (between)
            fz_fill_text(ctx, dev, between, ctm, cs, color, alpha, params);
    }
    fz_always(ctx) fz_drop_text(ctx, between);
    fz_catch(ctx) fz_rethrow(ctx);
}
