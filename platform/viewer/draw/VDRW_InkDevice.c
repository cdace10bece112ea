#include "VDRW_InkDevice.h"

#include "VDRW_PassingDevice.h"

typedef struct InkDevice {
    fz_device m_super;
    fz_device* m_target;
    int m_masks; /* soft masks being defined */
} InkDevice;

static fz_device* Target(fz_device* dev) { return ((InkDevice*)dev)->m_target; }

/* The colour to pass on for cs and color: black whose byte is the
 * complement of the BGR byte (blue's, the same for a grey). */
typedef struct Black {
    fz_colorspace* m_cs;
    const float* m_color;
    float m_black[4];
} Black;

static void AsBlack(fz_context* ctx, fz_device* dev, fz_colorspace* cs, const float* color, fz_color_params params,
                    Black* black) {
    black->m_cs = cs;
    black->m_color = color;
    if (!cs || !color || ((InkDevice*)dev)->m_masks > 0)
        return;
    float bgr[3];
    fz_convert_color(ctx, cs, color, fz_device_bgr(ctx), bgr, NULL, params);
    const int level = (int)(fz_clamp(bgr[0], 0, 1) * 255);
    black->m_black[0] = black->m_black[1] = black->m_black[2] = 0;
    black->m_black[3] = (255 - level + 0.5f) / 255;
    black->m_cs = fz_device_cmyk(ctx);
    black->m_color = black->m_black;
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    Black b;
    AsBlack(ctx, dev, cs, color, params, &b);
    fz_fill_path(ctx, Target(dev), path, evenOdd, ctm, b.m_cs, b.m_color, alpha, params);
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    Black b;
    AsBlack(ctx, dev, cs, color, params, &b);
    fz_stroke_path(ctx, Target(dev), path, stroke, ctm, b.m_cs, b.m_color, alpha, params);
}

static void ClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    fz_clip_path(ctx, Target(dev), path, evenOdd, ctm, scissor);
}

static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    fz_clip_stroke_path(ctx, Target(dev), path, stroke, ctm, scissor);
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    Black b;
    AsBlack(ctx, dev, cs, color, params, &b);
    fz_fill_text(ctx, Target(dev), text, ctm, b.m_cs, b.m_color, alpha, params);
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    Black b;
    AsBlack(ctx, dev, cs, color, params, &b);
    fz_stroke_text(ctx, Target(dev), text, stroke, ctm, b.m_cs, b.m_color, alpha, params);
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

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    fz_fill_image(ctx, Target(dev), image, ctm, alpha, params);
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    Black b;
    AsBlack(ctx, dev, cs, color, params, &b);
    fz_fill_image_mask(ctx, Target(dev), image, ctm, b.m_cs, b.m_color, alpha, params);
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    fz_clip_image_mask(ctx, Target(dev), image, ctm, scissor);
}

static void PopClip(fz_context* ctx, fz_device* dev) { fz_pop_clip(ctx, Target(dev)); }

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    fz_begin_mask(ctx, Target(dev), area, luminosity, cs, bc, params);
    ++((InkDevice*)dev)->m_masks;
}

static void EndMask(fz_context* ctx, fz_device* dev) {
    InkDevice* ink = (InkDevice*)dev;
    if (ink->m_masks > 0)
        --ink->m_masks;
    fz_end_mask(ctx, Target(dev));
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    (void)cs;
    fz_begin_group(ctx, Target(dev), area, NULL, isolated, knockout, blendmode, alpha);
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

fz_device* VDRW_NewInkDevice(fz_context* ctx, fz_device* target) {
    InkDevice* dev = fz_new_derived_device(ctx, InkDevice);
    dev->m_target = fz_keep_device(ctx, target);
    dev->m_super.drop_device = DropDevice;
    VDRW_SET_PASSING_ENTRIES(dev->m_super);
    return &dev->m_super;
}
