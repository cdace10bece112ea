#include "VDRW_ColourGlyphs.h"

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

void VDRW_RunColourGlyphs(fz_context* ctx, const fz_text* text, fz_matrix ctm, fz_device* dev) {
    for (const fz_text_span* span = text->head; span; span = span->next) {
        fz_matrix trm = span->trm;
        for (int i = 0; i < span->len; ++i) {
            if (!IsColourGlyph(span->font, span->items[i].gid))
                continue;
            trm.e = span->items[i].x;
            trm.f = span->items[i].y;
            fz_run_t3_glyph(ctx, span->font, span->items[i].gid, fz_concat(trm, ctm), dev);
        }
    }
}
