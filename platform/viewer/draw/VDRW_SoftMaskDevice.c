/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_SoftMaskDevice.h"

#include <string.h>

#include "VDRW_PathCopy.h"
#include "VDRW_PassingDevice.h"

/* A mask as begin_mask gives it, with its contents recorded. */
typedef struct Mask {
    fz_rect m_area;
    int m_luminosity;
    fz_colorspace* m_cs;
    int m_hasBackdrop;
    float m_backdrop[FZ_MAX_COLORS];
    fz_color_params m_params;
    fz_default_colorspaces* m_defaults; /* the draw device's when the mask began */
    fz_display_list* m_list;
    /* Every command of the contents with its arguments; colour spaces and
     * shadings by address, which the list keeps alive. */
    fz_buffer* m_signature;
    fz_default_colorspaces* m_setInside; /* the last the contents set, or NULL */
    int m_level;    /* the stack level it is pushed on */
    int m_reusable; /* contents and place allow a drawing of it to serve again */
    fz_image* m_coverage; /* made at its first reuse */
    fz_irect m_box;
} Mask;

typedef struct SoftMaskDevice {
    fz_device m_super;
    fz_device* m_target;
    fz_irect m_band;
    /* The draw device's stack levels, top last: a fresh id each, twice over,
     * plus one for a knockout or non-isolated group (m_unsafe counts
     * those). */
    int* m_levels;
    int m_depth, m_capacity, m_nextId, m_unsafe;
    fz_default_colorspaces* m_defaults; /* as the draw device holds them */
    /* Between begin_mask and its end_mask: the mask being recorded, and the
     * masks begun inside it. */
    Mask m_new;
    fz_device* m_recorder;
    int m_nested;
    Mask m_last; /* the mask drawn last */
    /* After a reused mask, until its pop: the marks it masks, recorded,
     * the levels they open, how many they are and what they can touch. */
    fz_display_list* m_masked;
    fz_device* m_maskedRecorder;
    int m_maskedDepth, m_maskedCommands;
    fz_rect m_maskedBounds;
    /* The page's runs of masked marks, drawn through m_source. */
    const VDRW_MaskRuns* m_runs;
    fz_device* m_source;
    fz_matrix m_ctm;
    fz_cookie* m_cookie;
} SoftMaskDevice;

/* A mark's anti-aliased edge and the least line width stay within this
 * many pixels of its bounds. */
static const float kMarkMarginPixels = 2;

static long g_drawn, g_reused;

void VDRW_ResetSoftMaskCounts(void) {
    __atomic_store_n(&g_drawn, 0, __ATOMIC_RELAXED);
    __atomic_store_n(&g_reused, 0, __ATOMIC_RELAXED);
}

long VDRW_SoftMasksDrawn(void) { return __atomic_load_n(&g_drawn, __ATOMIC_RELAXED); }
long VDRW_SoftMasksReused(void) { return __atomic_load_n(&g_reused, __ATOMIC_RELAXED); }

static SoftMaskDevice* Of(fz_device* dev) { return (SoftMaskDevice*)dev; }

static void DropMask(fz_context* ctx, Mask* mask) {
    fz_drop_colorspace(ctx, mask->m_cs);
    fz_drop_default_colorspaces(ctx, mask->m_defaults);
    fz_drop_display_list(ctx, mask->m_list);
    fz_drop_buffer(ctx, mask->m_signature);
    fz_drop_default_colorspaces(ctx, mask->m_setInside);
    fz_drop_image(ctx, mask->m_coverage);
    memset(mask, 0, sizeof *mask);
}

/* The draw device's stack, as pushed and popped through this device. */
static int Top(const SoftMaskDevice* d) { return d->m_depth > 0 ? d->m_levels[d->m_depth - 1] : 0; }

static void Push(fz_context* ctx, SoftMaskDevice* d, int unsafe) {
    if (d->m_depth == d->m_capacity) {
        const int capacity = d->m_capacity ? d->m_capacity * 2 : 32;
        d->m_levels = fz_realloc_array(ctx, d->m_levels, capacity, int);
        d->m_capacity = capacity;
    }
    d->m_nextId += 2;
    d->m_levels[d->m_depth++] = d->m_nextId + (unsafe != 0);
    d->m_unsafe += unsafe != 0;
}

static void Pop(SoftMaskDevice* d) {
    if (d->m_depth == 0)
        return;
    d->m_unsafe -= d->m_levels[--d->m_depth] & 1;
}

/* The signature of the mask being recorded. */
static void Note(fz_context* ctx, SoftMaskDevice* d, const void* data, size_t size) {
    fz_append_data(ctx, d->m_new.m_signature, data, size);
}

static void NoteInt(fz_context* ctx, SoftMaskDevice* d, int value) { Note(ctx, d, &value, sizeof value); }

static void NotePointer(fz_context* ctx, SoftMaskDevice* d, const void* p) { Note(ctx, d, &p, sizeof p); }

typedef struct PathNote {
    fz_context* m_ctx;
    SoftMaskDevice* m_dev;
} PathNote;

static void NotePoints(void* arg, char kind, const float* xy, size_t count) {
    PathNote* n = arg;
    Note(n->m_ctx, n->m_dev, &kind, 1);
    Note(n->m_ctx, n->m_dev, xy, count * sizeof *xy);
}

static void PathMove(fz_context* ctx, void* arg, float x, float y) {
    const float xy[] = {x, y};
    (void)ctx;
    NotePoints(arg, 'm', xy, 2);
}

static void PathLine(fz_context* ctx, void* arg, float x, float y) {
    const float xy[] = {x, y};
    (void)ctx;
    NotePoints(arg, 'l', xy, 2);
}

static void PathCurve(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2, float x3, float y3) {
    const float xy[] = {x1, y1, x2, y2, x3, y3};
    (void)ctx;
    NotePoints(arg, 'c', xy, 6);
}

static void PathClose(fz_context* ctx, void* arg) {
    (void)ctx;
    NotePoints(arg, 'h', NULL, 0);
}

static void PathRect(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2) {
    const float xy[] = {x1, y1, x2, y2};
    (void)ctx;
    NotePoints(arg, 'r', xy, 4);
}

static void NotePath(fz_context* ctx, SoftMaskDevice* d, const fz_path* path, fz_matrix ctm) {
    static const fz_path_walker walker = {PathMove, PathLine, PathCurve, PathClose, NULL, NULL, NULL, PathRect};
    PathNote note = {ctx, d};
    fz_walk_path(ctx, path, &walker, &note);
    Note(ctx, d, &ctm, sizeof ctm);
}

static void NoteColor(fz_context* ctx, SoftMaskDevice* d, fz_colorspace* cs, const float* color, float alpha,
                      fz_color_params params) {
    NotePointer(ctx, d, cs);
    if (cs && color)
        Note(ctx, d, color, sizeof *color * (size_t)fz_colorspace_n(ctx, cs));
    Note(ctx, d, &alpha, sizeof alpha);
    Note(ctx, d, &params, sizeof params);
}

/* A command a mask drawn once cannot stand for: recorded, never reused. */
static void Unusual(SoftMaskDevice* d) { d->m_new.m_reusable = 0; }

/* The stroke's every setting and every dash entry, however many: masks
 * whose dashes part only after the 32 that fz_stroke_state declares draw
 * different pixels. A count the signature cannot hold whole leaves the
 * mask as it came. */
static void NoteStroke(fz_context* ctx, SoftMaskDevice* d, const fz_stroke_state* stroke) {
    if (stroke->dash_len < 0)
        Unusual(d);
    const size_t dashes = stroke->dash_len < 0 ? 0 : (size_t)stroke->dash_len;
    Note(ctx, d, &stroke->start_cap, offsetof(fz_stroke_state, dash_list) - offsetof(fz_stroke_state, start_cap));
    Note(ctx, d, stroke->dash_list, sizeof *stroke->dash_list * dashes);
}

static void SetDefaults(fz_context* ctx, SoftMaskDevice* d, fz_default_colorspaces* spaces) {
    fz_set_default_colorspaces(ctx, d->m_target, spaces);
    fz_drop_default_colorspaces(ctx, d->m_defaults);
    d->m_defaults = fz_keep_default_colorspaces(ctx, spaces);
}

/* Where commands go: the mask or the masked marks being recorded, else the
 * draw device. */
static fz_device* Out(SoftMaskDevice* d) {
    return d->m_recorder ? d->m_recorder : d->m_maskedRecorder ? d->m_maskedRecorder : d->m_target;
}

static int Recording(const SoftMaskDevice* d) { return d->m_recorder || d->m_maskedRecorder; }

/* A level pushed or popped on the draw device, or inside what is recorded. */
static void Pushed(fz_context* ctx, SoftMaskDevice* d, int unsafe) {
    if (d->m_recorder)
        return;
    if (d->m_maskedRecorder)
        ++d->m_maskedDepth;
    else
        Push(ctx, d, unsafe);
}

static void Popped(SoftMaskDevice* d) {
    if (d->m_recorder)
        return;
    if (d->m_maskedRecorder)
        d->m_maskedDepth -= d->m_maskedDepth > 0;
    else
        Pop(d);
}

/* A mark among the masked marks: what it can touch, or unbounded. */
static void Marked(SoftMaskDevice* d, fz_rect bounds) {
    if (!d->m_maskedRecorder || d->m_recorder)
        return;
    ++d->m_maskedCommands;
    d->m_maskedBounds = fz_union_rect(d->m_maskedBounds, bounds);
}

/* Any other command among the masked marks: the clip stays whole. */
static void Other(SoftMaskDevice* d) {
    if (!d->m_maskedRecorder || d->m_recorder)
        return;
    ++d->m_maskedCommands;
    d->m_maskedBounds = fz_infinite_rect;
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    if (!Recording(d)) {
        fz_fill_path(ctx, d->m_target, path, evenOdd, ctm, cs, color, alpha, params);
        return;
    }
    if (d->m_recorder) {
        NoteInt(ctx, d, 'F' << 8 | evenOdd);
        NotePath(ctx, d, path, ctm);
        NoteColor(ctx, d, cs, color, alpha, params);
    }
    Marked(d, fz_bound_path(ctx, path, NULL, ctm));
    VDRW_FillUnpacked(ctx, Out(d), path, evenOdd, ctm, cs, color, alpha, params);
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    if (!Recording(d)) {
        fz_stroke_path(ctx, d->m_target, path, stroke, ctm, cs, color, alpha, params);
        return;
    }
    if (d->m_recorder) {
        NoteInt(ctx, d, 'S');
        NotePath(ctx, d, path, ctm);
        NoteStroke(ctx, d, stroke);
        NoteColor(ctx, d, cs, color, alpha, params);
    }
    Marked(d, fz_bound_path(ctx, path, stroke, ctm));
    VDRW_StrokeUnpacked(ctx, Out(d), path, stroke, ctm, cs, color, alpha, params);
}

static void ClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    SoftMaskDevice* d = Of(dev);
    if (!Recording(d)) {
        fz_clip_path(ctx, d->m_target, path, evenOdd, ctm, scissor);
        Push(ctx, d, 0);
        return;
    }
    if (d->m_recorder) {
        NoteInt(ctx, d, 'W' << 8 | evenOdd);
        NotePath(ctx, d, path, ctm);
        Note(ctx, d, &scissor, sizeof scissor);
    }
    VDRW_ClipUnpacked(ctx, Out(d), path, evenOdd, ctm, scissor);
    Pushed(ctx, d, 0);
}

static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    SoftMaskDevice* d = Of(dev);
    if (!Recording(d)) {
        fz_clip_stroke_path(ctx, d->m_target, path, stroke, ctm, scissor);
        Push(ctx, d, 0);
        return;
    }
    if (d->m_recorder) {
        NoteInt(ctx, d, 'w');
        NotePath(ctx, d, path, ctm);
        NoteStroke(ctx, d, stroke);
        Note(ctx, d, &scissor, sizeof scissor);
    }
    VDRW_ClipStrokeUnpacked(ctx, Out(d), path, stroke, ctm, scissor);
    Pushed(ctx, d, 0);
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    Unusual(d);
    Marked(d, fz_bound_text(ctx, text, NULL, ctm));
    fz_fill_text(ctx, Out(d), text, ctm, cs, color, alpha, params);
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    Unusual(d);
    Marked(d, fz_bound_text(ctx, text, stroke, ctm));
    fz_stroke_text(ctx, Out(d), text, stroke, ctm, cs, color, alpha, params);
}

static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    SoftMaskDevice* d = Of(dev);
    Unusual(d);
    fz_clip_text(ctx, Out(d), text, ctm, scissor);
    Pushed(ctx, d, 0);
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    SoftMaskDevice* d = Of(dev);
    Unusual(d);
    fz_clip_stroke_text(ctx, Out(d), text, stroke, ctm, scissor);
    Pushed(ctx, d, 0);
}

static void IgnoreText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm) {
    fz_ignore_text(ctx, Out(Of(dev)), text, ctm);
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    if (d->m_recorder) {
        NoteInt(ctx, d, 'B');
        NotePointer(ctx, d, shade);
        Note(ctx, d, &ctm, sizeof ctm);
        NoteColor(ctx, d, NULL, NULL, alpha, params);
    }
    Marked(d, fz_bound_shade(ctx, shade, ctm));
    fz_fill_shade(ctx, Out(d), shade, ctm, alpha, params);
}

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    const int run = Recording(d) || !d->m_source ? -1 : VDRW_MaskRunIndex(d->m_runs, image);
    if (run >= 0) {
        const fz_rect band = fz_rect_from_irect(d->m_band);
        if (!VDRW_MaskRunMisses(d->m_runs, run, d->m_ctm, band))
            fz_run_display_list(ctx, VDRW_MaskRunList(d->m_runs, run), d->m_source, d->m_ctm, band, d->m_cookie);
        return;
    }
    Unusual(d);
    Marked(d, fz_transform_rect(fz_unit_rect, ctm));
    fz_fill_image(ctx, Out(d), image, ctm, alpha, params);
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    Unusual(d);
    Marked(d, fz_transform_rect(fz_unit_rect, ctm));
    fz_fill_image_mask(ctx, Out(d), image, ctm, cs, color, alpha, params);
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    SoftMaskDevice* d = Of(dev);
    Unusual(d);
    fz_clip_image_mask(ctx, Out(d), image, ctm, scissor);
    Pushed(ctx, d, 0);
}

static void EndMasked(fz_context* ctx, SoftMaskDevice* d);

static void PopClip(fz_context* ctx, fz_device* dev) {
    SoftMaskDevice* d = Of(dev);
    if (!d->m_recorder && d->m_maskedRecorder && d->m_maskedDepth == 0) {
        EndMasked(ctx, d);
        return;
    }
    if (d->m_recorder)
        NoteInt(ctx, d, 'Q');
    fz_pop_clip(ctx, Out(d));
    Popped(d);
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    SoftMaskDevice* d = Of(dev);
    if (d->m_recorder) {
        const int flags[] = {isolated, knockout, blendmode};
        NoteInt(ctx, d, 'G');
        Note(ctx, d, &area, sizeof area);
        NotePointer(ctx, d, cs);
        Note(ctx, d, flags, sizeof flags);
        Note(ctx, d, &alpha, sizeof alpha);
    }
    fz_begin_group(ctx, Out(d), area, cs, isolated, knockout, blendmode, alpha);
    Pushed(ctx, d, !isolated || knockout);
}

static void EndGroup(fz_context* ctx, fz_device* dev) {
    SoftMaskDevice* d = Of(dev);
    if (d->m_recorder)
        NoteInt(ctx, d, 'g');
    fz_end_group(ctx, Out(d));
    Popped(d);
}

static int BeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    SoftMaskDevice* d = Of(dev);
    Unusual(d);
    Other(d);
    const int cached = fz_begin_tile_id(ctx, Out(d), area, view, xstep, ystep, ctm, id);
    Pushed(ctx, d, 0);
    return cached;
}

static void EndTile(fz_context* ctx, fz_device* dev) {
    SoftMaskDevice* d = Of(dev);
    fz_end_tile(ctx, Out(d));
    Popped(d);
}

static void RenderFlags(fz_context* ctx, fz_device* dev, int set, int clear) {
    Unusual(Of(dev));
    Other(Of(dev));
    fz_render_flags(ctx, Out(Of(dev)), set, clear);
}

static void SetDefaultColorspaces(fz_context* ctx, fz_device* dev, fz_default_colorspaces* spaces) {
    SoftMaskDevice* d = Of(dev);
    Other(d);
    fz_set_default_colorspaces(ctx, Out(d), spaces);
    fz_default_colorspaces** kept = d->m_recorder ? &d->m_new.m_setInside : &d->m_defaults;
    fz_drop_default_colorspaces(ctx, *kept);
    *kept = fz_keep_default_colorspaces(ctx, spaces);
    if (d->m_recorder) {
        NoteInt(ctx, d, 'D');
        NotePointer(ctx, d, fz_default_gray(ctx, spaces));
        NotePointer(ctx, d, fz_default_rgb(ctx, spaces));
        NotePointer(ctx, d, fz_default_cmyk(ctx, spaces));
        NotePointer(ctx, d, fz_default_output_intent(ctx, spaces));
    }
}

static void BeginLayer(fz_context* ctx, fz_device* dev, const char* name) {
    Unusual(Of(dev));
    Other(Of(dev));
    fz_begin_layer(ctx, Out(Of(dev)), name);
}

static void EndLayer(fz_context* ctx, fz_device* dev) { fz_end_layer(ctx, Out(Of(dev))); }

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    SoftMaskDevice* d = Of(dev);
    if (d->m_recorder) {
        Unusual(d);
        ++d->m_nested;
        fz_begin_mask(ctx, d->m_recorder, area, luminosity, cs, bc, params);
        return;
    }
    if (d->m_maskedRecorder) {
        Other(d);
        fz_begin_mask(ctx, d->m_maskedRecorder, area, luminosity, cs, bc, params);
        ++d->m_maskedDepth;
        return;
    }
    Mask* mask = &d->m_new;
    DropMask(ctx, mask);
    mask->m_area = area;
    mask->m_luminosity = luminosity;
    mask->m_cs = fz_keep_colorspace(ctx, cs);
    mask->m_hasBackdrop = bc != NULL;
    if (bc)
        memcpy(mask->m_backdrop, bc, sizeof *bc * (size_t)(cs ? fz_colorspace_n(ctx, cs) : 1));
    mask->m_params = params;
    mask->m_defaults = fz_keep_default_colorspaces(ctx, d->m_defaults);
    mask->m_level = Top(d);
    mask->m_reusable = luminosity && d->m_unsafe == 0;
    mask->m_signature = fz_new_buffer(ctx, 256);
    mask->m_list = fz_new_display_list(ctx, fz_infinite_rect);
    d->m_recorder = fz_new_list_device(ctx, mask->m_list);
    d->m_nested = 0;
}

/* The part of the draw device's begin_mask that fills a luminosity mask
 * with its backdrop, before the contents. */
static int Backdrop(fz_context* ctx, const Mask* mask) {
    fz_colorspace* cs = mask->m_cs ? mask->m_cs : fz_device_gray(ctx);
    if (mask->m_cs && mask->m_defaults) {
        if (cs == fz_device_gray(ctx))
            cs = fz_default_gray(ctx, mask->m_defaults);
        else if (cs == fz_device_rgb(ctx))
            cs = fz_default_rgb(ctx, mask->m_defaults);
        else if (cs == fz_device_cmyk(ctx))
            cs = fz_default_cmyk(ctx, mask->m_defaults);
    }
    float gray = 0;
    fz_convert_color(ctx, cs, mask->m_backdrop, fz_device_gray(ctx), &gray, NULL, mask->m_params);
    return gray * 255;
}

/* The mask's coverage over its area within the band, drawn as the draw
 * device draws a soft mask: the backdrop's grey, the contents, luminosity
 * turned to alpha. */
static void DrawCoverage(fz_context* ctx, Mask* mask) {
    fz_pixmap* gray = fz_new_pixmap_with_bbox(ctx, fz_device_gray(ctx), mask->m_box, NULL, 0);
    fz_pixmap* alpha = NULL;
    fz_device* draw = NULL;
    fz_var(alpha);
    fz_var(draw);
    fz_try(ctx) {
        fz_clear_pixmap_with_value(ctx, gray, Backdrop(ctx, mask));
        draw = fz_new_draw_device(ctx, fz_identity, gray);
        if (mask->m_defaults)
            fz_set_default_colorspaces(ctx, draw, mask->m_defaults);
        fz_run_display_list(ctx, mask->m_list, draw, fz_identity, fz_infinite_rect, NULL);
        fz_close_device(ctx, draw);
        alpha = fz_alpha_from_gray(ctx, gray);
        mask->m_coverage = fz_new_image_from_pixmap(ctx, alpha, NULL);
    }
    fz_always(ctx) {
        fz_drop_device(ctx, draw);
        fz_drop_pixmap(ctx, alpha);
        fz_drop_pixmap(ctx, gray);
    }
    fz_catch(ctx) fz_rethrow(ctx);
    __atomic_add_fetch(&g_drawn, 1, __ATOMIC_RELAXED);
}

static int SameSpaces(fz_context* ctx, fz_default_colorspaces* a, fz_default_colorspaces* b) {
    if (!a || !b)
        return a == b;
    return fz_default_gray(ctx, a) == fz_default_gray(ctx, b) && fz_default_rgb(ctx, a) == fz_default_rgb(ctx, b) &&
           fz_default_cmyk(ctx, a) == fz_default_cmyk(ctx, b) &&
           fz_default_output_intent(ctx, a) == fz_default_output_intent(ctx, b);
}

static int SameBytes(fz_context* ctx, fz_buffer* a, fz_buffer* b) {
    unsigned char *x, *y;
    const size_t size = fz_buffer_storage(ctx, a, &x);
    return size == fz_buffer_storage(ctx, b, &y) && memcmp(x, y, size) == 0;
}

/* Whether the new mask may be pushed as the coverage of the last. */
static int SameAsLast(fz_context* ctx, SoftMaskDevice* d) {
    const Mask* a = &d->m_last;
    const Mask* b = &d->m_new;
    const size_t colors = b->m_cs ? (size_t)fz_colorspace_n(ctx, b->m_cs) : 1;
    return a->m_list && a->m_reusable && b->m_reusable && a->m_level == b->m_level &&
           memcmp(&a->m_area, &b->m_area, sizeof a->m_area) == 0 && a->m_cs == b->m_cs &&
           a->m_hasBackdrop == b->m_hasBackdrop &&
           (!b->m_hasBackdrop || memcmp(a->m_backdrop, b->m_backdrop, sizeof *b->m_backdrop * colors) == 0) &&
           memcmp(&a->m_params, &b->m_params, sizeof a->m_params) == 0 &&
           SameSpaces(ctx, a->m_defaults, b->m_defaults) && SameSpaces(ctx, a->m_setInside, b->m_setInside) &&
           SameBytes(ctx, a->m_signature, b->m_signature);
}

/* The last mask stands for the new one: its coverage is pushed once the
 * marks it masks are known (EndMasked); the default colour spaces its
 * contents would have set are set now. */
static void Reuse(fz_context* ctx, SoftMaskDevice* d) {
    Mask* last = &d->m_last;
    if (!last->m_coverage) {
        last->m_box = fz_intersect_irect(fz_irect_from_rect(last->m_area), d->m_band);
        DrawCoverage(ctx, last);
    } else {
        __atomic_add_fetch(&g_reused, 1, __ATOMIC_RELAXED);
    }
    if (d->m_new.m_setInside)
        SetDefaults(ctx, d, d->m_new.m_setInside);
    DropMask(ctx, &d->m_new);
    d->m_masked = fz_new_display_list(ctx, fz_infinite_rect);
    d->m_maskedRecorder = fz_new_list_device(ctx, d->m_masked);
    d->m_maskedDepth = 0;
    d->m_maskedCommands = 0;
    d->m_maskedBounds = fz_empty_rect;
}

/* The masked marks drawn through the last mask's coverage, clipped to what
 * they can touch: elsewhere the draw device's compositing leaves each
 * pixel as it was, so only that part of the coverage is painted and
 * composited. Marks that all fall outside the band leave it as it was. */
static void EndMasked(fz_context* ctx, SoftMaskDevice* d) {
    fz_device* recorder = d->m_maskedRecorder;
    fz_display_list* marks = d->m_masked;
    d->m_maskedRecorder = NULL;
    d->m_masked = NULL;
    fz_try(ctx) {
        fz_close_device(ctx, recorder);
        if (d->m_maskedCommands > 0) {
            const fz_irect box = d->m_last.m_box;
            fz_rect touched = fz_infinite_rect;
            if (!fz_is_infinite_rect(d->m_maskedBounds))
                touched = fz_rect_from_irect(fz_intersect_irect(
                    box, fz_irect_from_rect(fz_expand_rect(d->m_maskedBounds, kMarkMarginPixels))));
            const fz_matrix pixels = fz_make_matrix((float)(box.x1 - box.x0), 0, 0, (float)(box.y1 - box.y0),
                                                    (float)box.x0, (float)box.y0);
            fz_clip_image_mask(ctx, d->m_target, d->m_last.m_coverage, pixels, touched);
            fz_run_display_list(ctx, marks, d->m_target, fz_identity, fz_infinite_rect, NULL);
            fz_pop_clip(ctx, d->m_target);
        }
    }
    fz_always(ctx) {
        fz_drop_device(ctx, recorder);
        fz_drop_display_list(ctx, marks);
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

/* The new mask drawn by the draw device, and kept as the last. */
static void DrawAsItCame(fz_context* ctx, SoftMaskDevice* d) {
    Mask* mask = &d->m_new;
    fz_begin_mask(ctx, d->m_target, mask->m_area, mask->m_luminosity, mask->m_cs,
                  mask->m_hasBackdrop ? mask->m_backdrop : NULL, mask->m_params);
    Push(ctx, d, 0);
    fz_run_display_list(ctx, mask->m_list, d->m_target, fz_identity, fz_infinite_rect, NULL);
    fz_end_mask(ctx, d->m_target);
    __atomic_add_fetch(&g_drawn, 1, __ATOMIC_RELAXED);
    if (mask->m_setInside) {
        fz_drop_default_colorspaces(ctx, d->m_defaults);
        d->m_defaults = fz_keep_default_colorspaces(ctx, mask->m_setInside);
    }
    /* A mask with no reusable place is never drawn again from its box. */
    const fz_irect box = fz_intersect_irect(fz_irect_from_rect(mask->m_area), d->m_band);
    if (fz_is_empty_irect(box))
        mask->m_reusable = 0;
    DropMask(ctx, &d->m_last);
    d->m_last = *mask;
    memset(mask, 0, sizeof *mask);
}

static void EndMask(fz_context* ctx, fz_device* dev) {
    SoftMaskDevice* d = Of(dev);
    if (!d->m_recorder) {
        fz_end_mask(ctx, Out(d));
        return;
    }
    if (d->m_nested > 0) {
        --d->m_nested;
        fz_end_mask(ctx, d->m_recorder);
        return;
    }
    fz_device* recorder = d->m_recorder;
    d->m_recorder = NULL;
    fz_try(ctx) fz_close_device(ctx, recorder);
    fz_always(ctx) fz_drop_device(ctx, recorder);
    fz_catch(ctx) fz_rethrow(ctx);
    if (SameAsLast(ctx, d))
        Reuse(ctx, d);
    else
        DrawAsItCame(ctx, d);
}

/* A stopped list leaves a recording open. */
static void DropDevice(fz_context* ctx, fz_device* dev) {
    SoftMaskDevice* d = Of(dev);
    fz_drop_device(ctx, d->m_recorder);
    fz_drop_device(ctx, d->m_maskedRecorder);
    fz_drop_display_list(ctx, d->m_masked);
    DropMask(ctx, &d->m_new);
    DropMask(ctx, &d->m_last);
    fz_drop_default_colorspaces(ctx, d->m_defaults);
    fz_free(ctx, d->m_levels);
    fz_drop_device(ctx, d->m_target);
}

void VDRW_SetSoftMaskRuns(fz_device* dev, const VDRW_MaskRuns* runs, fz_device* source, fz_matrix ctm,
                          fz_cookie* cookie) {
    SoftMaskDevice* d = Of(dev);
    d->m_runs = runs;
    d->m_source = source;
    d->m_ctm = ctm;
    d->m_cookie = cookie;
}

fz_device* VDRW_NewSoftMaskDevice(fz_context* ctx, fz_device* target, fz_irect band) {
    SoftMaskDevice* dev = fz_new_derived_device(ctx, SoftMaskDevice);
    dev->m_target = fz_keep_device(ctx, target);
    dev->m_band = band;
    dev->m_super.drop_device = DropDevice;
    VDRW_SET_PASSING_ENTRIES(dev->m_super);
    return &dev->m_super;
}
