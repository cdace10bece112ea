#include "VDRW_CoverageClip.h"

#include "VDRW_ColourGlyphs.h"

/* A stroked path, or text filled or stroked, under its matrix. */
typedef struct Mark {
    const fz_path* m_path;
    const fz_text* m_text;
    const fz_stroke_state* m_stroke;
    fz_matrix m_ctm;
} Mark;

static fz_rect Bounds(fz_context* ctx, const Mark* mark) {
    return mark->m_path ? fz_bound_path(ctx, mark->m_path, mark->m_stroke, mark->m_ctm)
                        : fz_bound_text(ctx, mark->m_text, mark->m_stroke, mark->m_ctm);
}

/* MuPDF's own clip, for a mark that covers no pixel: nothing under it is
 * drawn, so its layer cannot spoil the band. */
static void PlainClip(fz_context* ctx, fz_device* target, const Mark* mark, fz_rect scissor) {
    if (mark->m_path)
        fz_clip_stroke_path(ctx, target, mark->m_path, mark->m_stroke, mark->m_ctm, scissor);
    else if (mark->m_stroke)
        fz_clip_stroke_text(ctx, target, mark->m_text, mark->m_stroke, mark->m_ctm, scissor);
    else
        fz_clip_text(ctx, target, mark->m_text, mark->m_ctm, scissor);
}

static void PaintText(fz_context* ctx, fz_device* dev, const fz_text* text, const Mark* mark) {
    const float white = 1;
    fz_colorspace* gray = fz_device_gray(ctx);
    if (mark->m_stroke)
        fz_stroke_text(ctx, dev, text, mark->m_stroke, mark->m_ctm, gray, &white, 1, fz_default_color_params);
    else
        fz_fill_text(ctx, dev, text, mark->m_ctm, gray, &white, 1, fz_default_color_params);
}

/* Glyphs that set their colour are painted as a fill paints them, whatever
 * the mode (VDRW_ColourGlyphs.h): the rest is painted here, they are added
 * to the coverage after. */
static void PaintRest(fz_context* ctx, fz_device* dev, const Mark* mark) {
    fz_text* coloured = NULL;
    fz_text* rest = NULL;
    fz_var(coloured);
    fz_var(rest);
    fz_try(ctx) {
        VDRW_SplitColourGlyphs(ctx, mark->m_text, &coloured, &rest);
        if (rest)
            PaintText(ctx, dev, rest, mark);
    }
    fz_always(ctx) {
        fz_drop_text(ctx, coloured);
        fz_drop_text(ctx, rest);
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

/* Painted as MuPDF paints its clip's mask: full strength, no colour. */
static void Paint(fz_context* ctx, fz_device* dev, const Mark* mark, int colourGlyphs) {
    const float white = 1;
    if (mark->m_path)
        fz_stroke_path(ctx, dev, mark->m_path, mark->m_stroke, mark->m_ctm, fz_device_gray(ctx), &white, 1,
                       fz_default_color_params);
    else if (colourGlyphs)
        PaintRest(ctx, dev, mark);
    else
        PaintText(ctx, dev, mark->m_text, mark);
}

/* The mark's coverage over area, one sample a pixel. */
static fz_pixmap* Coverage(fz_context* ctx, const Mark* mark, fz_irect area) {
    fz_pixmap* mask = fz_new_pixmap_with_bbox(ctx, NULL, area, NULL, 1);
    fz_device* draw = NULL;
    const int colourGlyphs = mark->m_text && VDRW_HasColourGlyphs(ctx, mark->m_text);
    fz_var(draw);
    fz_try(ctx) {
        fz_clear_pixmap(ctx, mask);
        draw = fz_new_draw_device(ctx, fz_identity, mask);
        Paint(ctx, draw, mark, colourGlyphs);
        fz_close_device(ctx, draw);
        if (colourGlyphs)
            VDRW_AddColourGlyphCoverage(ctx, mark->m_text, mark->m_ctm, mask);
    }
    fz_always(ctx) fz_drop_device(ctx, draw);
    fz_catch(ctx) {
        fz_drop_pixmap(ctx, mask);
        fz_rethrow(ctx);
    }
    return mask;
}

static void ClipByCoverage(fz_context* ctx, fz_device* target, const Mark* mark, fz_rect scissor, fz_rect band) {
    /* A pixel's margin for MuPDF's widening of hairlines. */
    const fz_rect drawn = fz_intersect_rect(fz_intersect_rect(fz_expand_rect(Bounds(ctx, mark), 1), scissor), band);
    const fz_irect area = fz_irect_from_rect(drawn);
    if (fz_is_empty_irect(area)) {
        PlainClip(ctx, target, mark, scissor);
        return;
    }
    fz_pixmap* mask = Coverage(ctx, mark, area);
    fz_image* image = NULL;
    fz_var(image);
    fz_try(ctx) {
        image = fz_new_image_from_pixmap(ctx, mask, NULL);
        const fz_matrix pixels = fz_make_matrix((float)(area.x1 - area.x0), 0, 0, (float)(area.y1 - area.y0),
                                                (float)area.x0, (float)area.y0);
        fz_clip_image_mask(ctx, target, image, pixels, scissor);
    }
    fz_always(ctx) {
        fz_drop_image(ctx, image);
        fz_drop_pixmap(ctx, mask);
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

void VDRW_ClipStrokeByCoverage(fz_context* ctx, fz_device* target, const fz_path* path,
                               const fz_stroke_state* stroke, fz_matrix ctm, fz_rect scissor, fz_rect band) {
    const Mark mark = {path, NULL, stroke, ctm};
    ClipByCoverage(ctx, target, &mark, scissor, band);
}

void VDRW_ClipTextByCoverage(fz_context* ctx, fz_device* target, const fz_text* text,
                             const fz_stroke_state* stroke, fz_matrix ctm, fz_rect scissor, fz_rect band) {
    const Mark mark = {NULL, text, stroke, ctm};
    ClipByCoverage(ctx, target, &mark, scissor, band);
}
