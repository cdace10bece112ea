#include "VDRW_SnapDevice.h"

#include <math.h>

typedef struct SnapDevice {
    fz_device m_super;
    fz_device* m_target;
} SnapDevice;

static fz_device* Target(fz_device* dev) { return ((SnapDevice*)dev)->m_target; }

static float Snapped(double v) {
    const double whole = floor(v + 0.5);
    return (float)(fabs(v - whole) <= kVDRW_SnapPixels ? whole : v);
}

/* A path turned into device space on its way through the walker. */
typedef struct Turning {
    fz_matrix m_ctm;
    fz_path* m_out;
} Turning;

static fz_point Turn(const Turning* t, float x, float y) {
    const fz_matrix m = t->m_ctm;
    return fz_make_point(Snapped((double)x * m.a + (double)y * m.c + m.e),
                         Snapped((double)x * m.b + (double)y * m.d + m.f));
}

static void MoveTo(fz_context* ctx, void* arg, float x, float y) {
    const fz_point p = Turn(arg, x, y);
    fz_moveto(ctx, ((Turning*)arg)->m_out, p.x, p.y);
}

static void LineTo(fz_context* ctx, void* arg, float x, float y) {
    const fz_point p = Turn(arg, x, y);
    fz_lineto(ctx, ((Turning*)arg)->m_out, p.x, p.y);
}

static void CurveTo(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2, float x3, float y3) {
    const fz_point a = Turn(arg, x1, y1), b = Turn(arg, x2, y2), c = Turn(arg, x3, y3);
    fz_curveto(ctx, ((Turning*)arg)->m_out, a.x, a.y, b.x, b.y, c.x, c.y);
}

static void ClosePath(fz_context* ctx, void* arg) { fz_closepath(ctx, ((Turning*)arg)->m_out); }

/* A rectangle stays one under quarter turns, which MuPDF fills as such. */
static void RectTo(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2) {
    Turning* t = arg;
    const fz_point a = Turn(t, x1, y1), b = Turn(t, x2, y1), c = Turn(t, x2, y2), d = Turn(t, x1, y2);
    if ((t->m_ctm.b == 0 && t->m_ctm.c == 0) || (t->m_ctm.a == 0 && t->m_ctm.d == 0)) {
        fz_rectto(ctx, t->m_out, a.x, a.y, c.x, c.y);
        return;
    }
    fz_moveto(ctx, t->m_out, a.x, a.y);
    fz_lineto(ctx, t->m_out, b.x, b.y);
    fz_lineto(ctx, t->m_out, c.x, c.y);
    fz_lineto(ctx, t->m_out, d.x, d.y);
    fz_closepath(ctx, t->m_out);
}

static fz_path* Turned(fz_context* ctx, const fz_path* path, fz_matrix ctm) {
    static const fz_path_walker walker = {MoveTo, LineTo, CurveTo, ClosePath, NULL, NULL, NULL, RectTo};
    Turning t = {ctm, fz_new_path(ctx)};
    fz_try(ctx) fz_walk_path(ctx, path, &walker, &t);
    fz_catch(ctx) {
        fz_drop_path(ctx, t.m_out);
        fz_rethrow(ctx);
    }
    return t.m_out;
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_path* turned = Turned(ctx, path, ctm);
    fz_try(ctx) fz_fill_path(ctx, Target(dev), turned, evenOdd, fz_identity, cs, color, alpha, params);
    fz_always(ctx) fz_drop_path(ctx, turned);
    fz_catch(ctx) fz_rethrow(ctx);
}

static void ClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    fz_path* turned = Turned(ctx, path, ctm);
    fz_try(ctx) fz_clip_path(ctx, Target(dev), turned, evenOdd, fz_identity, scissor);
    fz_always(ctx) fz_drop_path(ctx, turned);
    fz_catch(ctx) fz_rethrow(ctx);
}

/* The unit square's corners snapped, for a matrix of quarter turns. */
static fz_matrix ImageMatrix(fz_matrix m) {
    if (m.b == 0 && m.c == 0) {
        const float x0 = Snapped(m.e), x1 = Snapped((double)m.e + m.a);
        const float y0 = Snapped(m.f), y1 = Snapped((double)m.f + m.d);
        return fz_make_matrix(x1 - x0, 0, 0, y1 - y0, x0, y0);
    }
    if (m.a == 0 && m.d == 0) {
        const float x0 = Snapped(m.e), x1 = Snapped((double)m.e + m.c);
        const float y0 = Snapped(m.f), y1 = Snapped((double)m.f + m.b);
        return fz_make_matrix(0, y1 - y0, x1 - x0, 0, x0, y0);
    }
    return m;
}

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    fz_fill_image(ctx, Target(dev), image, ImageMatrix(ctm), alpha, params);
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    fz_fill_image_mask(ctx, Target(dev), image, ImageMatrix(ctm), cs, color, alpha, params);
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    fz_clip_image_mask(ctx, Target(dev), image, ImageMatrix(ctm), scissor);
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_stroke_path(ctx, Target(dev), path, stroke, ctm, cs, color, alpha, params);
}

static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    fz_clip_stroke_path(ctx, Target(dev), path, stroke, ctm, scissor);
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    fz_fill_text(ctx, Target(dev), text, ctm, cs, color, alpha, params);
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_stroke_text(ctx, Target(dev), text, stroke, ctm, cs, color, alpha, params);
}

static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    fz_clip_text(ctx, Target(dev), text, ctm, scissor);
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    fz_clip_stroke_text(ctx, Target(dev), text, stroke, ctm, scissor);
}

static void IgnoreText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm) {
    fz_ignore_text(ctx, Target(dev), text, ctm);
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    fz_fill_shade(ctx, Target(dev), shade, ctm, alpha, params);
}

static void PopClip(fz_context* ctx, fz_device* dev) { fz_pop_clip(ctx, Target(dev)); }

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    fz_begin_mask(ctx, Target(dev), area, luminosity, cs, bc, params);
}

static void EndMask(fz_context* ctx, fz_device* dev) { fz_end_mask(ctx, Target(dev)); }

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    fz_begin_group(ctx, Target(dev), area, cs, isolated, knockout, blendmode, alpha);
}

static void EndGroup(fz_context* ctx, fz_device* dev) { fz_end_group(ctx, Target(dev)); }

static int BeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    return fz_begin_tile_id(ctx, Target(dev), area, view, xstep, ystep, ctm, id);
}

static void EndTile(fz_context* ctx, fz_device* dev) { fz_end_tile(ctx, Target(dev)); }

static void RenderFlags(fz_context* ctx, fz_device* dev, int set, int clear) {
    fz_render_flags(ctx, Target(dev), set, clear);
}

static void SetDefaultColorspaces(fz_context* ctx, fz_device* dev, fz_default_colorspaces* spaces) {
    fz_set_default_colorspaces(ctx, Target(dev), spaces);
}

static void BeginLayer(fz_context* ctx, fz_device* dev, const char* name) {
    fz_begin_layer(ctx, Target(dev), name);
}

static void EndLayer(fz_context* ctx, fz_device* dev) { fz_end_layer(ctx, Target(dev)); }

static void DropDevice(fz_context* ctx, fz_device* dev) { fz_drop_device(ctx, Target(dev)); }

fz_device* VDRW_NewSnapDevice(fz_context* ctx, fz_device* target) {
    SnapDevice* dev = fz_new_derived_device(ctx, SnapDevice);
    dev->m_target = fz_keep_device(ctx, target);
    dev->m_super.drop_device = DropDevice;
    dev->m_super.fill_path = FillPath;
    dev->m_super.stroke_path = StrokePath;
    dev->m_super.clip_path = ClipPath;
    dev->m_super.clip_stroke_path = ClipStrokePath;
    dev->m_super.fill_text = FillText;
    dev->m_super.stroke_text = StrokeText;
    dev->m_super.clip_text = ClipText;
    dev->m_super.clip_stroke_text = ClipStrokeText;
    dev->m_super.ignore_text = IgnoreText;
    dev->m_super.fill_shade = FillShade;
    dev->m_super.fill_image = FillImage;
    dev->m_super.fill_image_mask = FillImageMask;
    dev->m_super.clip_image_mask = ClipImageMask;
    dev->m_super.pop_clip = PopClip;
    dev->m_super.begin_mask = BeginMask;
    dev->m_super.end_mask = EndMask;
    dev->m_super.begin_group = BeginGroup;
    dev->m_super.end_group = EndGroup;
    dev->m_super.begin_tile = BeginTile;
    dev->m_super.end_tile = EndTile;
    dev->m_super.render_flags = RenderFlags;
    dev->m_super.set_default_colorspaces = SetDefaultColorspaces;
    dev->m_super.begin_layer = BeginLayer;
    dev->m_super.end_layer = EndLayer;
    return &dev->m_super;
}
