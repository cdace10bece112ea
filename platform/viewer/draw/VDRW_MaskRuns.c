/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_MaskRuns.h"

#include <string.h>

#include "VDRW_PassingDevice.h"

/* A mark's anti-aliased edge, the least line width and the snap device's
 * rounding stay within this many device pixels of its bounds. */
static const float kMarginPixels = 2;

/* A run's image is one pixel whose resolution holds the run's index, so
 * that it is found at once, and this tag. */
enum { kMarkTag = 0x5644 };

/* A run ends after this many uses, so that a band draws only the uses near
 * it: every use of a run is drawn in every band the run meets, and a run of
 * many small marks laid down the page would meet them all. */
enum { kUsesPerRun = 64 };

typedef struct Run {
    fz_display_list* m_list;
    fz_rect m_bounds; /* in the list's space; infinite: every band */
    fz_default_colorspaces* m_defaults;
    fz_image* m_mark;
    int m_images;
} Run;

struct VDRW_MaskRuns {
    Run* m_runs;
    int m_count, m_capacity;
};

VDRW_MaskRuns* VDRW_NewMaskRuns(fz_context* ctx) { return fz_malloc_struct(ctx, VDRW_MaskRuns); }

static void DropRun(fz_context* ctx, Run* run) {
    fz_drop_display_list(ctx, run->m_list);
    fz_drop_default_colorspaces(ctx, run->m_defaults);
    fz_drop_image(ctx, run->m_mark);
    memset(run, 0, sizeof *run);
}

void VDRW_DropMaskRuns(fz_context* ctx, VDRW_MaskRuns* runs) {
    if (!runs)
        return;
    for (int i = 0; i < runs->m_count; ++i)
        DropRun(ctx, &runs->m_runs[i]);
    fz_free(ctx, runs->m_runs);
    fz_free(ctx, runs);
}

int VDRW_MaskRunIndex(const VDRW_MaskRuns* runs, const fz_image* image) {
    if (!runs || !image)
        return -1;
    const int index = image->xres - 1;
    return image->yres == kMarkTag && index >= 0 && index < runs->m_count && runs->m_runs[index].m_mark == image
               ? index
               : -1;
}

fz_display_list* VDRW_MaskRunList(const VDRW_MaskRuns* runs, int index) { return runs->m_runs[index].m_list; }

int VDRW_MaskRunHasImages(const VDRW_MaskRuns* runs, int index) { return runs->m_runs[index].m_images; }

int VDRW_MaskRunMisses(const VDRW_MaskRuns* runs, int index, fz_matrix ctm, fz_rect area) {
    const fz_rect bounds = runs->m_runs[index].m_bounds;
    if (fz_is_infinite_rect(bounds))
        return 0;
    if (fz_is_empty_rect(bounds))
        return 1;
    const fz_rect touched = fz_expand_rect(fz_transform_rect(bounds, ctm), kMarginPixels);
    return fz_is_empty_rect(fz_intersect_rect(touched, area));
}

/* The image that stands for run index. */
static fz_image* NewMark(fz_context* ctx, int index) {
    fz_pixmap* pixels = fz_new_pixmap(ctx, NULL, 1, 1, NULL, 1);
    fz_image* image = NULL;
    fz_try(ctx) {
        fz_clear_pixmap(ctx, pixels);
        fz_set_pixmap_resolution(ctx, pixels, index + 1, kMarkTag);
        image = fz_new_image_from_pixmap(ctx, pixels, NULL);
    }
    fz_always(ctx) fz_drop_pixmap(ctx, pixels);
    fz_catch(ctx) fz_rethrow(ctx);
    return image;
}

typedef struct Recorder {
    fz_device m_super;
    fz_device* m_target;
    VDRW_MaskRuns* m_runs;
    int m_tiles; /* tiling patterns open outside a run: no run inside a cell */
    /* The run being recorded, when m_recorder is set: the levels its
     * current use holds open (0 between uses), and the masks' contents
     * open. */
    fz_device* m_recorder;
    Run m_open;
    int m_depth, m_inMask, m_uses;
} Recorder;

static Recorder* Of(fz_device* dev) { return (Recorder*)dev; }

/* The open run into the table, and its mark into the page's list. */
static void EndRun(fz_context* ctx, Recorder* r) {
    fz_device* recorder = r->m_recorder;
    VDRW_MaskRuns* runs = r->m_runs;
    r->m_recorder = NULL;
    fz_try(ctx) {
        fz_close_device(ctx, recorder);
        if (runs->m_count == runs->m_capacity) {
            const int capacity = runs->m_capacity ? runs->m_capacity * 2 : 16;
            runs->m_runs = fz_realloc_array(ctx, runs->m_runs, capacity, Run);
            runs->m_capacity = capacity;
        }
        r->m_open.m_mark = NewMark(ctx, runs->m_count);
    }
    fz_always(ctx) fz_drop_device(ctx, recorder);
    fz_catch(ctx) {
        DropRun(ctx, &r->m_open);
        fz_rethrow(ctx);
    }
    Run* run = &runs->m_runs[runs->m_count++];
    *run = r->m_open;
    memset(&r->m_open, 0, sizeof r->m_open);
    /* Over any page at any scale, so that the list never culls it. */
    fz_fill_image(ctx, r->m_target, run->m_mark, fz_make_matrix(2e9f, 0, 0, 2e9f, -1e9f, -1e9f), 1,
                  fz_default_color_params);
    if (run->m_defaults)
        fz_set_default_colorspaces(ctx, r->m_target, run->m_defaults);
}

/* Where a command goes: a command other than a mask between two uses ends
 * the run. */
static fz_device* Out(fz_context* ctx, Recorder* r, int beginsMask) {
    if (r->m_recorder && r->m_depth == 0 && !beginsMask)
        EndRun(ctx, r);
    return r->m_recorder ? r->m_recorder : r->m_target;
}

static void Opened(Recorder* r) {
    if (r->m_recorder)
        ++r->m_depth;
}

static void Closed(Recorder* r) {
    if (r->m_recorder && r->m_depth > 0)
        --r->m_depth;
}

/* A mark that reaches the page widens the run's bounds. */
static void Marked(Recorder* r, fz_rect bounds) {
    if (!r->m_recorder || r->m_inMask > 0 || bounds.x0 > bounds.x1 || bounds.y0 > bounds.y1)
        return;
    r->m_open.m_bounds = fz_union_rect(r->m_open.m_bounds, fz_expand_rect(bounds, 0.01f));
}

static void Imaged(Recorder* r) {
    if (r->m_recorder)
        r->m_open.m_images = 1;
}

static void Unbounded(Recorder* r) {
    if (r->m_recorder)
        r->m_open.m_bounds = fz_infinite_rect;
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_fill_path(ctx, Out(ctx, Of(dev), 0), path, evenOdd, ctm, cs, color, alpha, params);
    Marked(Of(dev), fz_bound_path(ctx, path, NULL, ctm));
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_stroke_path(ctx, Out(ctx, Of(dev), 0), path, stroke, ctm, cs, color, alpha, params);
    Marked(Of(dev), fz_bound_path(ctx, path, stroke, ctm));
}

static void ClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    fz_clip_path(ctx, Out(ctx, Of(dev), 0), path, evenOdd, ctm, scissor);
    Opened(Of(dev));
}

static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    fz_clip_stroke_path(ctx, Out(ctx, Of(dev), 0), path, stroke, ctm, scissor);
    Opened(Of(dev));
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    fz_fill_text(ctx, Out(ctx, Of(dev), 0), text, ctm, cs, color, alpha, params);
    Marked(Of(dev), fz_bound_text(ctx, text, NULL, ctm));
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    fz_stroke_text(ctx, Out(ctx, Of(dev), 0), text, stroke, ctm, cs, color, alpha, params);
    Marked(Of(dev), fz_bound_text(ctx, text, stroke, ctm));
}

static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    fz_clip_text(ctx, Out(ctx, Of(dev), 0), text, ctm, scissor);
    Opened(Of(dev));
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    fz_clip_stroke_text(ctx, Out(ctx, Of(dev), 0), text, stroke, ctm, scissor);
    Opened(Of(dev));
}

static void IgnoreText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm) {
    fz_ignore_text(ctx, Out(ctx, Of(dev), 0), text, ctm);
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    fz_fill_shade(ctx, Out(ctx, Of(dev), 0), shade, ctm, alpha, params);
    Marked(Of(dev), fz_bound_shade(ctx, shade, ctm));
}

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    fz_fill_image(ctx, Out(ctx, Of(dev), 0), image, ctm, alpha, params);
    Marked(Of(dev), fz_transform_rect(fz_unit_rect, ctm));
    Imaged(Of(dev));
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    fz_fill_image_mask(ctx, Out(ctx, Of(dev), 0), image, ctm, cs, color, alpha, params);
    Marked(Of(dev), fz_transform_rect(fz_unit_rect, ctm));
    Imaged(Of(dev));
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    fz_clip_image_mask(ctx, Out(ctx, Of(dev), 0), image, ctm, scissor);
    Opened(Of(dev));
    Imaged(Of(dev));
}

static void PopClip(fz_context* ctx, fz_device* dev) {
    fz_pop_clip(ctx, Out(ctx, Of(dev), 0));
    Closed(Of(dev));
}

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    Recorder* r = Of(dev);
    if (r->m_recorder && r->m_depth == 0 && r->m_uses >= kUsesPerRun)
        EndRun(ctx, r);
    if (!r->m_recorder && r->m_tiles == 0) {
        r->m_open.m_list = fz_new_display_list(ctx, fz_infinite_rect);
        r->m_open.m_bounds = fz_empty_rect;
        fz_try(ctx) r->m_recorder = fz_new_list_device(ctx, r->m_open.m_list);
        fz_catch(ctx) {
            fz_drop_display_list(ctx, r->m_open.m_list);
            r->m_open.m_list = NULL;
            fz_rethrow(ctx);
        }
        r->m_depth = r->m_inMask = r->m_uses = 0;
    }
    if (r->m_recorder && r->m_depth == 0)
        ++r->m_uses;
    fz_begin_mask(ctx, Out(ctx, r, 1), area, luminosity, cs, bc, params);
    Opened(r);
    if (r->m_recorder)
        ++r->m_inMask;
}

static void EndMask(fz_context* ctx, fz_device* dev) {
    Recorder* r = Of(dev);
    fz_end_mask(ctx, Out(ctx, r, 0));
    if (r->m_recorder && r->m_inMask > 0)
        --r->m_inMask;
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    fz_begin_group(ctx, Out(ctx, Of(dev), 0), area, cs, isolated, knockout, blendmode, alpha);
    Opened(Of(dev));
}

static void EndGroup(fz_context* ctx, fz_device* dev) {
    fz_end_group(ctx, Out(ctx, Of(dev), 0));
    Closed(Of(dev));
}

/* A pattern's cells are drawn by the snap device in content order, every
 * band alike: a run that holds one is drawn in every band. */
static int BeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    Recorder* r = Of(dev);
    const int cached = fz_begin_tile_id(ctx, Out(ctx, r, 0), area, view, xstep, ystep, ctm, id);
    if (r->m_recorder) {
        Unbounded(r);
        ++r->m_depth;
    } else {
        ++r->m_tiles;
    }
    return cached;
}

static void EndTile(fz_context* ctx, fz_device* dev) {
    Recorder* r = Of(dev);
    fz_end_tile(ctx, Out(ctx, r, 0));
    if (r->m_recorder)
        Closed(r);
    else if (r->m_tiles > 0)
        --r->m_tiles;
}

static void RenderFlags(fz_context* ctx, fz_device* dev, int set, int clear) {
    fz_render_flags(ctx, Out(ctx, Of(dev), 0), set, clear);
    Unbounded(Of(dev));
}

static void SetDefaultColorspaces(fz_context* ctx, fz_device* dev, fz_default_colorspaces* spaces) {
    Recorder* r = Of(dev);
    fz_set_default_colorspaces(ctx, Out(ctx, r, 0), spaces);
    if (r->m_recorder) {
        fz_drop_default_colorspaces(ctx, r->m_open.m_defaults);
        r->m_open.m_defaults = fz_keep_default_colorspaces(ctx, spaces);
    }
}

static void BeginLayer(fz_context* ctx, fz_device* dev, const char* name) {
    fz_begin_layer(ctx, Out(ctx, Of(dev), 0), name);
}

static void EndLayer(fz_context* ctx, fz_device* dev) { fz_end_layer(ctx, Out(ctx, Of(dev), 0)); }

static void CloseDevice(fz_context* ctx, fz_device* dev) {
    Recorder* r = Of(dev);
    if (r->m_recorder)
        EndRun(ctx, r);
}

static void DropDevice(fz_context* ctx, fz_device* dev) {
    Recorder* r = Of(dev);
    fz_drop_device(ctx, r->m_recorder);
    DropRun(ctx, &r->m_open);
    fz_drop_device(ctx, r->m_target);
}

fz_device* VDRW_NewMaskRunRecorder(fz_context* ctx, fz_device* target, VDRW_MaskRuns* runs) {
    Recorder* dev = fz_new_derived_device(ctx, Recorder);
    dev->m_target = fz_keep_device(ctx, target);
    dev->m_runs = runs;
    dev->m_super.close_device = CloseDevice;
    dev->m_super.drop_device = DropDevice;
    VDRW_SET_PASSING_ENTRIES(dev->m_super);
    return &dev->m_super;
}
