#include "VDRW_PathCopy.h"

static void MoveTo(fz_context* ctx, void* arg, float x, float y) { fz_moveto(ctx, arg, x, y); }

static void LineTo(fz_context* ctx, void* arg, float x, float y) { fz_lineto(ctx, arg, x, y); }

static void CurveTo(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2, float x3, float y3) {
    fz_curveto(ctx, arg, x1, y1, x2, y2, x3, y3);
}

static void ClosePath(fz_context* ctx, void* arg) { fz_closepath(ctx, arg); }

static void RectTo(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2) {
    fz_rectto(ctx, arg, x1, y1, x2, y2);
}

static fz_path* UnpackedPath(fz_context* ctx, const fz_path* path) {
    static const fz_path_walker walker = {MoveTo, LineTo, CurveTo, ClosePath, NULL, NULL, NULL, RectTo};
    fz_path* copy = fz_new_path(ctx);
    fz_try(ctx) fz_walk_path(ctx, path, &walker, copy);
    fz_catch(ctx) {
        fz_drop_path(ctx, copy);
        fz_rethrow(ctx);
    }
    return copy;
}

void VDRW_FillUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                       fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_path* copy = UnpackedPath(ctx, path);
    fz_try(ctx) fz_fill_path(ctx, dev, copy, evenOdd, ctm, cs, color, alpha, params);
    fz_always(ctx) fz_drop_path(ctx, copy);
    fz_catch(ctx) fz_rethrow(ctx);
}

void VDRW_StrokeUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                         fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_path* copy = UnpackedPath(ctx, path);
    fz_try(ctx) fz_stroke_path(ctx, dev, copy, stroke, ctm, cs, color, alpha, params);
    fz_always(ctx) fz_drop_path(ctx, copy);
    fz_catch(ctx) fz_rethrow(ctx);
}

void VDRW_ClipUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                       fz_rect scissor) {
    fz_path* copy = UnpackedPath(ctx, path);
    fz_try(ctx) fz_clip_path(ctx, dev, copy, evenOdd, ctm, scissor);
    fz_always(ctx) fz_drop_path(ctx, copy);
    fz_catch(ctx) fz_rethrow(ctx);
}

void VDRW_ClipStrokeUnpacked(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                             fz_matrix ctm, fz_rect scissor) {
    fz_path* copy = UnpackedPath(ctx, path);
    fz_try(ctx) fz_clip_stroke_path(ctx, dev, copy, stroke, ctm, scissor);
    fz_always(ctx) fz_drop_path(ctx, copy);
    fz_catch(ctx) fz_rethrow(ctx);
}
