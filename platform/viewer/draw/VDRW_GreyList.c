#include "VDRW_GreyList.h"

#include "VDRW_ColourGlyphs.h"
#include "VDRW_MaskRuns.h"

/* Type 3 glyphs in glyphs in glyphs: past this the page is taken as not
 * grey rather than followed further. */
enum { kMostGlyphNesting = 8 };

typedef struct GreyCheck {
    fz_device m_super;
    fz_cookie m_cookie;          /* its abort ends the pass at the first colour */
    const VDRW_MaskRuns* m_runs; /* what the list's run images stand for */
    int m_masks;                 /* soft masks open: their contents are not painted */
    int m_groups;                /* transparency groups painted */
    int m_glyphDepth;
} GreyCheck;

static void NotGrey(fz_device* dev) { ((GreyCheck*)dev)->m_cookie.abort = 1; }

static int Painted(fz_device* dev) { return ((GreyCheck*)dev)->m_masks == 0; }

/* A colour space whose values MuPDF draws as black alone. */
static int GreySpace(fz_context* ctx, fz_colorspace* cs) {
    if (cs && fz_colorspace_is_indexed(ctx, cs))
        cs = cs->u.indexed.base;
    return cs && fz_colorspace_is_gray(ctx, cs);
}

static void CheckColour(fz_context* ctx, fz_device* dev, fz_colorspace* cs, const float* color,
                        fz_color_params params) {
    if (!Painted(dev) || GreySpace(ctx, cs))
        return;
    float cmyk[4] = {1, 1, 1, 1};
    if (cs && color)
        fz_convert_color(ctx, cs, color, fz_device_cmyk(ctx), cmyk, NULL, params);
    if (cmyk[0] != 0 || cmyk[1] != 0 || cmyk[2] != 0)
        NotGrey(dev);
}

static void CheckText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                      const float* color, fz_color_params params) {
    GreyCheck* check = (GreyCheck*)dev;
    CheckColour(ctx, dev, cs, color, params);
    if (!Painted(dev) || !VDRW_HasColourGlyphs(ctx, text))
        return;
    if (check->m_glyphDepth >= kMostGlyphNesting) {
        NotGrey(dev);
        return;
    }
    ++check->m_glyphDepth;
    fz_try(ctx) VDRW_RunColourGlyphs(ctx, text, ctm, dev);
    fz_always(ctx) {
        --check->m_glyphDepth;
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    (void)path, (void)evenOdd, (void)ctm, (void)alpha;
    CheckColour(ctx, dev, cs, color, params);
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    (void)path, (void)stroke, (void)ctm, (void)alpha;
    CheckColour(ctx, dev, cs, color, params);
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    (void)alpha;
    CheckText(ctx, dev, text, ctm, cs, color, params);
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    (void)stroke, (void)alpha;
    CheckText(ctx, dev, text, ctm, cs, color, params);
}

/* A clip by glyphs that set their own colour paints them. */
static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    (void)scissor;
    CheckText(ctx, dev, text, ctm, fz_device_gray(ctx), NULL, fz_default_color_params);
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    (void)stroke;
    ClipText(ctx, dev, text, ctm, scissor);
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    (void)ctm, (void)alpha, (void)params;
    if (Painted(dev) && !GreySpace(ctx, shade->colorspace))
        NotGrey(dev);
}

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    (void)ctm, (void)alpha, (void)params;
    GreyCheck* check = (GreyCheck*)dev;
    const int run = check->m_runs ? VDRW_MaskRunIndex(check->m_runs, image) : -1;
    if (run >= 0)
        fz_run_display_list(ctx, VDRW_MaskRunList(check->m_runs, run), dev, fz_identity, fz_infinite_rect,
                            &check->m_cookie);
    else if (Painted(dev) && !GreySpace(ctx, image->colorspace))
        NotGrey(dev);
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    (void)image, (void)ctm, (void)alpha;
    CheckColour(ctx, dev, cs, color, params);
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    (void)ctx, (void)area, (void)cs, (void)isolated, (void)knockout, (void)blendmode, (void)alpha;
    if (Painted(dev))
        ((GreyCheck*)dev)->m_groups = 1;
}

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    (void)ctx, (void)area, (void)luminosity, (void)cs, (void)bc, (void)params;
    ++((GreyCheck*)dev)->m_masks;
}

static void EndMask(fz_context* ctx, fz_device* dev) {
    (void)ctx;
    GreyCheck* check = (GreyCheck*)dev;
    if (check->m_masks > 0)
        --check->m_masks;
}

int VDRW_ListComposesGrey(fz_context* ctx, fz_display_list* list, const VDRW_MaskRuns* runs) {
    GreyCheck* check = fz_new_derived_device(ctx, GreyCheck);
    check->m_runs = runs;
    int grey = 0;
    fz_var(grey);
    check->m_super.fill_path = FillPath;
    check->m_super.stroke_path = StrokePath;
    check->m_super.fill_text = FillText;
    check->m_super.stroke_text = StrokeText;
    check->m_super.clip_text = ClipText;
    check->m_super.clip_stroke_text = ClipStrokeText;
    check->m_super.fill_shade = FillShade;
    check->m_super.fill_image = FillImage;
    check->m_super.fill_image_mask = FillImageMask;
    check->m_super.begin_mask = BeginMask;
    check->m_super.end_mask = EndMask;
    check->m_super.begin_group = BeginGroup;
    fz_try(ctx) {
        fz_run_display_list(ctx, list, &check->m_super, fz_identity, fz_infinite_rect, &check->m_cookie);
        fz_close_device(ctx, &check->m_super);
        grey = !check->m_cookie.abort && check->m_cookie.errors == 0 && check->m_groups;
    }
    fz_always(ctx) fz_drop_device(ctx, &check->m_super);
    fz_catch(ctx) fz_rethrow(ctx);
    return grey;
}
