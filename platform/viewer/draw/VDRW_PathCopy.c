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

fz_path* VDRW_UnpackedPath(fz_context* ctx, const fz_path* path) {
    static const fz_path_walker walker = {MoveTo, LineTo, CurveTo, ClosePath, NULL, NULL, NULL, RectTo};
    fz_path* copy = fz_new_path(ctx);
    fz_try(ctx) fz_walk_path(ctx, path, &walker, copy);
    fz_catch(ctx) {
        fz_drop_path(ctx, copy);
        fz_rethrow(ctx);
    }
    return copy;
}
