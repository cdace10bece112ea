#include "VDRW_CellWork.h"

#include <math.h>
#include <stdint.h>

#include "VDRW_OpenSlots.h"

/* Deeper nesting weighs HUGE_VAL, so that MuPDF's tiling draws it. */
enum { kMostNesting = 32 };
/* Type 3 glyphs inside a glyph's charproc count one unit each (MuPDF
 * records those as their marks; a font that showed itself would not end). */
enum { kMostGlyphNesting = 1 };
/* MuPDF keeps a glyph in its cache when its matrix expands by at most this
 * many pixels and its pixmap is narrower and lower than this; any other
 * Type 3 glyph is drawn from its charproc at every use. */
static const double kCachedGlyphPixels = 256;

/* MuPDF flattens a curve of a cell's size into a few segments. */
static const double kCurveWork = 8;
/* A mask, group, clip or shading costs by the pixels it covers: MuPDF
 * makes, fills and composites a pixmap of them at each drawing. */
static const double kPixelsPerUnit = 64;

typedef struct MeshCount {
    const fz_shade* m_shade; /* null for a free slot */
    double m_triangles;
} MeshCount;

typedef struct Weigher {
    fz_device m_super;
    double m_work;
    fz_rect m_page; /* the drawing's page, which bounds what a pixmap covers */
    double m_scale; /* the cells of the patterns open around the command */
    double m_outer[kMostNesting];
    int m_depth;
    /* A page's pass: outside patterns nothing is weighed (scale 0); each
     * pattern at the top is reported to m_spent at its end. */
    VDRW_TileSpent* m_spent;
    void* m_arg;
    double m_left; /* what spent last said; below one unit, no cell fits */
    int m_over;    /* the pattern at the top already costs more than is left */
    VDRW_Tile m_tile;
    double m_tileCells;
    /* The meshes counted, by address (the lists weighed keep them alive),
     * open-addressed (VDRW_OpenSlots.h): each is decoded once a weighing
     * however often it is used. */
    MeshCount* m_meshes;
    int m_meshCount, m_meshSlots;
    /* Whether a placing is already left to the tiling: then its cells are
     * not weighed again. */
    VDRW_TileSettled* m_settled;
    int m_glyphDepth;
    /* A page's pass enters the runs of soft-masked marks where their marks
     * stand, through the page's matrix. */
    const VDRW_MaskRuns* m_runs;
    fz_matrix m_ctm;
} Weigher;

/* Nothing to weigh here: outside the page's patterns, or in a pattern
 * with no cell. */
static int Idle(fz_device* dev) { return ((Weigher*)dev)->m_scale == 0 || ((Weigher*)dev)->m_over; }

static void Add(fz_device* dev, double units) {
    Weigher* w = (Weigher*)dev;
    w->m_work += w->m_scale * (1 + units);
    if (w->m_spent && w->m_work > w->m_left)
        w->m_over = 1;
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

/* A rectangle's device pixels, at most the page's width and height. */
static double Covered(fz_device* dev, fz_rect r) {
    const fz_rect page = ((Weigher*)dev)->m_page;
    if (fz_is_empty_rect(r))
        return 0;
    const double w = fmin((double)r.x1 - r.x0, (double)page.x1 - page.x0);
    const double h = fmin((double)r.y1 - r.y0, (double)page.y1 - page.y0);
    return fmax(w, 0) * fmax(h, 0) / kPixelsPerUnit;
}

static int Cached(fz_context* ctx, fz_font* font, int gid, fz_matrix trm) {
    if (fz_matrix_expansion(trm) > kCachedGlyphPixels)
        return 0;
    const fz_irect box = fz_irect_from_rect(fz_bound_glyph(ctx, font, gid, trm));
    return (double)box.x1 - box.x0 < kCachedGlyphPixels && (double)box.y1 - box.y0 < kCachedGlyphPixels;
}

/* The list being run swallows a command's error and goes on: the depth
 * comes back whatever the charproc does. */
static void RunCharproc(fz_context* ctx, Weigher* w, fz_font* font, int gid, fz_matrix trm) {
    ++w->m_glyphDepth;
    fz_try(ctx) fz_run_t3_glyph(ctx, font, gid, trm, &w->m_super);
    fz_always(ctx) --w->m_glyphDepth;
    fz_catch(ctx) fz_rethrow(ctx);
}

/* A glyph MuPDF caches, or one of a font it outlines, costs one unit: the
 * units of text's glyphs through ctm. A Type 3 glyph it cannot cache is
 * drawn from its charproc into a pixmap of its box each time: the
 * charproc is run through dev, so its work is added where it stands, and
 * its box's pixels are counted in the units. */
static double Glyphs(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm) {
    Weigher* w = (Weigher*)dev;
    double units = 0;
    for (const fz_text_span* span = text->head; span; span = span->next) {
        fz_font* font = span->font;
        if (!font->t3lists || w->m_glyphDepth >= kMostGlyphNesting) {
            units += span->len;
            continue;
        }
        for (int i = 0; i < span->len; ++i) {
            const int gid = span->items[i].gid;
            fz_matrix trm = span->trm;
            trm.e = span->items[i].x;
            trm.f = span->items[i].y;
            trm = fz_concat(trm, ctm);
            if (gid < 0 || gid > 255 || Cached(ctx, font, gid, trm)) {
                units += 1;
                continue;
            }
            units += Covered(dev, fz_bound_glyph(ctx, font, gid, trm));
            RunCharproc(ctx, w, font, gid, trm);
        }
    }
    return units;
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    if (Idle(dev))
        return;
    (void)evenOdd, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Segments(ctx, path));
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    if (Idle(dev))
        return;
    (void)stroke, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Segments(ctx, path));
}

static void ClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    if (Idle(dev))
        return;
    (void)evenOdd, (void)scissor;
    Add(dev, Segments(ctx, path) + Covered(dev, fz_bound_path(ctx, path, NULL, ctm)));
}

static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    if (Idle(dev))
        return;
    (void)scissor;
    Add(dev, Segments(ctx, path) + Covered(dev, fz_bound_path(ctx, path, stroke, ctm)));
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    if (Idle(dev))
        return;
    (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Glyphs(ctx, dev, text, ctm));
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    if (Idle(dev))
        return;
    (void)stroke, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Glyphs(ctx, dev, text, ctm));
}

static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    if (Idle(dev))
        return;
    (void)scissor;
    const double glyphs = Glyphs(ctx, dev, text, ctm);
    Add(dev, glyphs + Covered(dev, fz_bound_text(ctx, text, NULL, ctm)));
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    if (Idle(dev))
        return;
    (void)scissor;
    const double glyphs = Glyphs(ctx, dev, text, ctm);
    Add(dev, glyphs + Covered(dev, fz_bound_text(ctx, text, stroke, ctm)));
}

static void KeepVertex(fz_context* ctx, void* arg, fz_vertex* v, const float* c) {
    (void)ctx, (void)arg, (void)v, (void)c;
}

static void CountTriangle(fz_context* ctx, void* arg, fz_vertex* a, fz_vertex* b, fz_vertex* c) {
    (void)ctx, (void)a, (void)b, (void)c;
    *(double*)arg += 1;
}

static size_t g_meshesDecoded;
static int g_meshesCollide;

void VDRW_ResetMeshCount(void) { __atomic_store_n(&g_meshesDecoded, 0, __ATOMIC_RELAXED); }
size_t VDRW_MeshesDecoded(void) { return __atomic_load_n(&g_meshesDecoded, __ATOMIC_RELAXED); }
void VDRW_CollideMeshSlots(int collide) { __atomic_store_n(&g_meshesCollide, collide, __ATOMIC_RELAXED); }

/* The slot holding shade, or the free one where it goes, which a table at
 * most half full has; -1 when no probe of every slot finds either. */
static int MeshSlot(const MeshCount* meshes, int slots, const fz_shade* shade) {
    const uint64_t key = __atomic_load_n(&g_meshesCollide, __ATOMIC_RELAXED) ? 0 : (uint64_t)(uintptr_t)shade;
    int slot = VDRW_FirstSlot(key, slots);
    for (int probes = 0; probes < slots; ++probes) {
        if (!meshes[slot].m_shade || meshes[slot].m_shade == shade)
            return slot;
        slot = VDRW_NextSlot(slot, slots);
    }
    return -1;
}

/* Twice the slots, the meshes placed again; unchanged when the allocation
 * throws. */
static void GrowMeshes(fz_context* ctx, Weigher* w) {
    const int slots = w->m_meshSlots ? w->m_meshSlots * 2 : 16;
    MeshCount* meshes = fz_calloc(ctx, (size_t)slots, sizeof *meshes);
    for (int i = 0; i < w->m_meshSlots; ++i) {
        const int slot = w->m_meshes[i].m_shade ? MeshSlot(meshes, slots, w->m_meshes[i].m_shade) : -1;
        if (slot >= 0)
            meshes[slot] = w->m_meshes[i];
    }
    fz_free(ctx, w->m_meshes);
    w->m_meshes = meshes;
    w->m_meshSlots = slots;
}

/* A mesh is filled triangle by triangle, patches as MuPDF divides them
 * (counted under no matrix). */
static double Triangles(fz_context* ctx, Weigher* w, fz_shade* shade) {
    if (shade->type < FZ_MESH_TYPE4)
        return 0;
    const int known = w->m_meshSlots ? MeshSlot(w->m_meshes, w->m_meshSlots, shade) : -1;
    if (known >= 0 && w->m_meshes[known].m_shade)
        return w->m_meshes[known].m_triangles;
    double triangles = 0;
    __atomic_fetch_add(&g_meshesDecoded, 1, __ATOMIC_RELAXED);
    fz_process_shade(ctx, shade, fz_identity, fz_infinite_rect, KeepVertex, CountTriangle, &triangles);
    if (VDRW_SlotsFull(w->m_meshCount, w->m_meshSlots))
        GrowMeshes(ctx, w);
    const int slot = MeshSlot(w->m_meshes, w->m_meshSlots, shade);
    if (slot >= 0) {
        w->m_meshes[slot] = (MeshCount){shade, triangles};
        ++w->m_meshCount;
    }
    return triangles;
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    if (Idle(dev))
        return;
    (void)alpha, (void)params;
    Add(dev, Triangles(ctx, (Weigher*)dev, shade) + Covered(dev, fz_bound_shade(ctx, shade, ctm)));
}

static double Pixels(const fz_image* image) { return (double)image->w * image->h; }

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    Weigher* w = (Weigher*)dev;
    const int run = w->m_runs && w->m_depth == 0 ? VDRW_MaskRunIndex(w->m_runs, image) : -1;
    if (run >= 0) {
        fz_run_display_list(ctx, VDRW_MaskRunList(w->m_runs, run), dev, w->m_ctm, fz_infinite_rect, NULL);
        return;
    }
    if (Idle(dev))
        return;
    (void)ctm, (void)alpha, (void)params;
    Add(dev, Pixels(image));
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    if (Idle(dev))
        return;
    (void)ctx, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    Add(dev, Pixels(image));
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    if (Idle(dev))
        return;
    (void)ctx, (void)scissor;
    Add(dev, Pixels(image) + Covered(dev, fz_transform_rect(fz_unit_rect, ctm)));
}

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    if (Idle(dev))
        return;
    (void)ctx, (void)luminosity, (void)cs, (void)bc, (void)params;
    Add(dev, Covered(dev, area));
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    if (Idle(dev))
        return;
    (void)ctx, (void)cs, (void)isolated, (void)knockout, (void)blendmode, (void)alpha;
    Add(dev, Covered(dev, area));
}

static int PageTop(const Weigher* w) { return w->m_spent && w->m_depth == 0; }

/* A nested pattern's marks are drawn once per cell of it, for each drawing
 * of the cells around it: counted over its whole area, wherever the cell
 * around it falls. A pattern at the top of a page counts its cells on the
 * page, from nothing. */
static int BeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    Weigher* w = (Weigher*)dev;
    const int top = PageTop(w);
    /* At a page's top, one drawing of the pattern, or none once the budget
     * is spent. */
    const double outer = top ? 1 : Idle(dev) ? 0 : w->m_scale;
    (void)ctx;
    if (top) {
        w->m_tile = (VDRW_Tile){area, view, xstep, ystep, ctm, id};
        w->m_work = 0;
        w->m_over = w->m_settled && w->m_settled(w->m_arg, &w->m_tile);
    } else {
        Add(dev, 0);
    }
    const double cells =
        outer == 0 ? 0 : VDRW_TileCells(area, view, xstep, ystep, ctm, top ? w->m_page : fz_infinite_rect, NULL);
    if (w->m_depth < kMostNesting)
        w->m_outer[w->m_depth] = w->m_scale;
    ++w->m_depth;
    w->m_scale = outer == 0 || cells == 0 || (top && w->m_left < 1) ? 0 : outer * cells;
    if (top)
        w->m_tileCells = cells;
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
    if (PageTop(w)) {
        const int weighed = (w->m_left >= 1 && !w->m_over) || w->m_tileCells == 0;
        w->m_left = w->m_spent(w->m_arg, &w->m_tile, weighed ? w->m_work : HUGE_VAL);
        w->m_over = 0;
    }
}

static void DropWeigher(fz_context* ctx, fz_device* dev) { fz_free(ctx, ((Weigher*)dev)->m_meshes); }

static Weigher* NewWeigher(fz_context* ctx, fz_rect page) {
    Weigher* w = fz_new_derived_device(ctx, Weigher);
    w->m_super.drop_device = DropWeigher;
    w->m_page = page;
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
    return w;
}

/* Runs list through w; w's work, and w dropped. */
static double Weigh(fz_context* ctx, Weigher* w, fz_display_list* list, fz_matrix ctm) {
    double work = 0;
    fz_var(work);
    fz_try(ctx) {
        fz_run_display_list(ctx, list, &w->m_super, ctm, fz_infinite_rect, NULL);
        fz_close_device(ctx, &w->m_super);
        work = w->m_work;
    }
    fz_always(ctx) fz_drop_device(ctx, &w->m_super);
    fz_catch(ctx) fz_rethrow(ctx);
    return work;
}

double VDRW_CellWork(fz_context* ctx, fz_display_list* cell, fz_rect page) {
    Weigher* w = NewWeigher(ctx, page);
    w->m_work = 1; /* the cell's own drawing, marks or none */
    w->m_scale = 1;
    return Weigh(ctx, w, cell, fz_identity);
}

void VDRW_WeighTiles(fz_context* ctx, fz_display_list* list, const VDRW_MaskRuns* runs, fz_matrix ctm, fz_rect page,
                     double budget, VDRW_TileSpent* spent, VDRW_TileSettled* settled, void* arg) {
    Weigher* w = NewWeigher(ctx, page);
    w->m_runs = runs;
    w->m_ctm = ctm;
    w->m_spent = spent;
    w->m_settled = settled;
    w->m_arg = arg;
    w->m_left = budget;
    Weigh(ctx, w, list, ctm);
}

/* Beyond the shift of up to a pixel that places a cell on whole pixels and
 * the pixel an edge shares, a cell inks nothing of the area. */
static const double kMarginPixels = 3;

double VDRW_CellSteps(double from, double to, double lo, double hi, double step, double margin, double* first) {
    /* The steps whose cell may meet [from, to] at all, and those that come
     * within margin of it; a negative step swaps both ends. */
    double a = (from - hi) / step, b = (to - lo) / step;
    double near0 = (from - margin - hi) / step, near1 = (to + margin - lo) / step;
    if (a > b) {
        const double t = a, u = near0;
        a = b, b = t;
        near0 = near1, near1 = u;
    }
    *first = fmax(floor(a), floor(near0) + 1);
    return fmax(fmin(ceil(b), ceil(near1) - 1) - *first + 1, 0);
}

double VDRW_TileCells(fz_rect area, fz_rect view, float xstep, float ystep, fz_matrix ctm, fz_rect device,
                      VDRW_CellRange* range) {
    VDRW_CellRange cells = {0, 0, 0, 0};
    if (range)
        *range = cells;
    if (fz_is_empty_rect(area))
        return 0;
    const double det = (double)ctm.a * ctm.d - (double)ctm.b * ctm.c;
    if (xstep == 0 || ystep == 0 || fz_is_infinite_rect(area) || det == 0 || !isfinite(det))
        return HUGE_VAL;
    const fz_matrix inverse = fz_invert_matrix(ctm);
    const fz_rect seen = fz_intersect_rect(area, fz_transform_rect(fz_expand_rect(device, 1), inverse));
    if (fz_is_empty_rect(seen))
        return 0;
    const double mx = kMarginPixels * (fabs(inverse.a) + fabs(inverse.c));
    const double my = kMarginPixels * (fabs(inverse.b) + fabs(inverse.d));
    cells.m_columns = VDRW_CellSteps(seen.x0, seen.x1, view.x0, view.x1, xstep, mx, &cells.m_i0);
    cells.m_rows = VDRW_CellSteps(seen.y0, seen.y1, view.y0, view.y1, ystep, my, &cells.m_j0);
    /* No column, or no row: no cell, however many of the other. */
    if (cells.m_columns == 0 || cells.m_rows == 0)
        return 0;
    const double count = cells.m_columns * cells.m_rows;
    if (!isfinite(count) || !isfinite(cells.m_i0) || !isfinite(cells.m_j0))
        return HUGE_VAL;
    if (range)
        *range = cells;
    return count;
}
