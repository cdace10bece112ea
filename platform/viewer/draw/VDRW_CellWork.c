#include "VDRW_CellWork.h"

#include <math.h>

/* Deeper nesting weighs HUGE_VAL, so that MuPDF's tiling draws it. */
enum { kMostNesting = 32 };

/* MuPDF flattens a curve of a cell's size into a few segments. */
static const double kCurveWork = 8;
/* A shading is filled pixel by pixel over what it covers, whatever its size
 * in the file. */
static const double kShadingWork = 1024;

typedef struct Weigher {
    fz_device m_super;
    double m_work;
    double m_scale; /* the cells of the patterns open around the command */
    double m_outer[kMostNesting];
    int m_depth;
} Weigher;

static void Add(fz_device* dev, double units) {
    Weigher* w = (Weigher*)dev;
    w->m_work += w->m_scale * (1 + units);
}

static void CountPoint(fz_context* ctx, void* arg, float x, float y) {
    (void)ctx, (void)x, (void)y;
    *(double*)arg += 1;
}

static void CountCurve(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2, float x3, float y3) {
    (void)ctx, (void)x1, (void)y1, (void)x2, (void)y2, (void)x3, (void)y3;
    *(double*)arg += kCurveWork;
}

static void CountClose(fz_context* ctx, void* arg) {
    (void)ctx;
    *(double*)arg += 1;
}

static void CountRect(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2) {
    (void)ctx, (void)x1, (void)y1, (void)x2, (void)y2;
    *(double*)arg += 4;
}

static double Segments(fz_context* ctx, const fz_path* path) {
    static const fz_path_walker counter = {CountPoint, CountPoint, CountCurve, CountClose, NULL, NULL, NULL, CountRect};
    double segments = 0;
    fz_walk_path(ctx, path, &counter, &segments);
    return segments;
}

static double Glyphs(const fz_text* text) {
    double glyphs = 0;
    for (const fz_text_span* span = text->head; span; span = span->next)
        glyphs += span->len;
    return glyphs;
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    (void)evenOdd, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Segments(ctx, path));
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    (void)stroke, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Segments(ctx, path));
}

static void ClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    (void)evenOdd, (void)ctm, (void)scissor;
    Add(dev, Segments(ctx, path));
}

static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    (void)stroke, (void)ctm, (void)scissor;
    Add(dev, Segments(ctx, path));
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    (void)ctx, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Glyphs(text));
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    (void)ctx, (void)stroke, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Glyphs(text));
}

static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    (void)ctx, (void)ctm, (void)scissor;
    Add(dev, Glyphs(text));
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    (void)ctx, (void)stroke, (void)ctm, (void)scissor;
    Add(dev, Glyphs(text));
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    (void)ctx, (void)shade, (void)ctm, (void)alpha, (void)params;
    Add(dev, kShadingWork);
}

static double Pixels(const fz_image* image) { return (double)image->w * image->h; }

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    (void)ctx, (void)ctm, (void)alpha, (void)params;
    Add(dev, Pixels(image));
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    (void)ctx, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Pixels(image));
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    (void)ctx, (void)ctm, (void)scissor;
    Add(dev, Pixels(image));
}

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    (void)ctx, (void)area, (void)luminosity, (void)cs, (void)bc, (void)params;
    Add(dev, 0);
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    (void)ctx, (void)area, (void)cs, (void)isolated, (void)knockout, (void)blendmode, (void)alpha;
    Add(dev, 0);
}

/* A nested pattern's marks are drawn once per cell of it, for each drawing
 * of the cells around it. */
static int BeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    Weigher* w = (Weigher*)dev;
    const double cells = VDRW_PatternCells(area, view, xstep, ystep);
    (void)ctx, (void)ctm, (void)id;
    Add(dev, 0);
    if (w->m_depth < kMostNesting)
        w->m_outer[w->m_depth] = w->m_scale;
    ++w->m_depth;
    w->m_scale = w->m_scale == 0 || cells == 0 ? 0 : w->m_scale * cells;
    if (w->m_depth > kMostNesting)
        w->m_scale = w->m_work = HUGE_VAL;
    w->m_work += w->m_scale; /* each nested cell's own drawing */
    return 0; /* the cell's marks are wanted */
}

static void EndTile(fz_context* ctx, fz_device* dev) {
    Weigher* w = (Weigher*)dev;
    (void)ctx;
    if (w->m_depth == 0)
        return;
    --w->m_depth;
    if (w->m_depth < kMostNesting)
        w->m_scale = w->m_outer[w->m_depth];
}

double VDRW_CellWork(fz_context* ctx, fz_display_list* cell) {
    Weigher* w = fz_new_derived_device(ctx, Weigher);
    w->m_work = 1; /* the cell's own drawing, marks or none */
    w->m_scale = 1;
    w->m_super.fill_path = FillPath;
    w->m_super.stroke_path = StrokePath;
    w->m_super.clip_path = ClipPath;
    w->m_super.clip_stroke_path = ClipStrokePath;
    w->m_super.fill_text = FillText;
    w->m_super.stroke_text = StrokeText;
    w->m_super.clip_text = ClipText;
    w->m_super.clip_stroke_text = ClipStrokeText;
    w->m_super.fill_shade = FillShade;
    w->m_super.fill_image = FillImage;
    w->m_super.fill_image_mask = FillImageMask;
    w->m_super.clip_image_mask = ClipImageMask;
    w->m_super.begin_mask = BeginMask;
    w->m_super.begin_group = BeginGroup;
    w->m_super.begin_tile = BeginTile;
    w->m_super.end_tile = EndTile;
    double work = 0;
    fz_var(work);
    fz_try(ctx) {
        fz_run_display_list(ctx, cell, &w->m_super, fz_identity, fz_infinite_rect, NULL);
        fz_close_device(ctx, &w->m_super);
        work = w->m_work;
    }
    fz_always(ctx) fz_drop_device(ctx, &w->m_super);
    fz_catch(ctx) fz_rethrow(ctx);
    return work;
}

double VDRW_CellSteps(double from, double to, double lo, double hi, double step, double* first) {
    double a = (from - hi) / step, b = (to - lo) / step;
    if (a > b) {
        const double t = a;
        a = b;
        b = t;
    }
    *first = floor(a);
    return ceil(b) - *first + 1;
}

/* The steps whose cell overlaps [from, to] by more than an edge. */
static double Overlapping(double from, double to, double lo, double hi, double step) {
    double first;
    return fmax(VDRW_CellSteps(from, to, lo, hi, step, &first) - 2, 0);
}

double VDRW_PatternCells(fz_rect area, fz_rect view, float xstep, float ystep) {
    if (fz_is_empty_rect(area))
        return 0;
    if (xstep == 0 || ystep == 0 || fz_is_infinite_rect(area))
        return HUGE_VAL;
    const double cells = Overlapping(area.x0, area.x1, view.x0, view.x1, xstep) *
                         Overlapping(area.y0, area.y1, view.y0, view.y1, ystep);
    return isfinite(cells) ? cells : HUGE_VAL;
}
