#include "VDRW_SnapDevice.h"

#include <math.h>
#include <stdint.h>

#include "VDRW_CellWork.h"
#include "VDRW_ColourGlyphs.h"
#include "VDRW_CoverageClip.h"
#include "VDRW_InkBand.h"
#include "VDRW_TileLayer.h"
#include "VDRW_TilePlan.h"
#include "VDRW_PathCopy.h"
#include "VDRW_PassingDevice.h"

typedef VDRW_Tile Tile;

typedef struct SnapDevice {
    fz_device m_super;
    fz_device* m_target;
    fz_rect m_scissor;
    fz_cookie* m_cookie;
    /* Between a tile's begin and end: its cell, recorded; m_nested counts
     * the tiles inside it. */
    fz_display_list* m_cell;
    fz_device* m_recorder;
    int m_nested;
    Tile m_tile;
    const VDRW_TilePlan* m_plan;
    int m_inCells; /* cells of patterns being drawn cell by cell, one in another */
    fz_default_colorspaces* m_spaces; /* the page's, for a pattern left to the tiling */
    int m_cellWhite; /* a mark of the cell being recorded may paint white */
    int m_cellBlends; /* a group of the cell being recorded has a blend mode */
    /* Groups and masks open on the device behind, innermost in bit 0 of
     * m_knockouts where it knocks out; past 64 deep, every one is taken
     * to. */
    int m_groups;
    uint64_t m_knockouts;
    /* The colour space the draw device behind paints in inside each of
     * those groups and masks, outermost first; NULL where not known. */
    fz_colorspace* m_models[64];
} SnapDevice;

static long g_patternsByCell, g_patternsTiled;

void VDRW_ResetTileCounts(void) {
    __atomic_store_n(&g_patternsByCell, 0, __ATOMIC_RELAXED);
    __atomic_store_n(&g_patternsTiled, 0, __ATOMIC_RELAXED);
}

long VDRW_PatternsDrawnByCell(void) { return __atomic_load_n(&g_patternsByCell, __ATOMIC_RELAXED); }
long VDRW_PatternsLeftToTiling(void) { return __atomic_load_n(&g_patternsTiled, __ATOMIC_RELAXED); }

/* Where marks go: the cell being recorded, else the device behind. */
static fz_device* Target(fz_device* dev) {
    SnapDevice* snap = (SnapDevice*)dev;
    return snap->m_recorder ? snap->m_recorder : snap->m_target;
}

/* Notes a mark of the cell being recorded that may paint a channel of the
 * band at its full value (any colour, for cs NULL): MuPDF's tiling would
 * leave such a cell one level short of white over white. */
static void NoteColour(fz_context* ctx, fz_device* dev, fz_colorspace* cs, const float* color) {
    SnapDevice* snap = (SnapDevice*)dev;
    if (!snap->m_recorder || snap->m_cellWhite)
        return;
    float bgr[3] = {1, 1, 1};
    if (cs && color)
        fz_convert_color(ctx, cs, color, fz_device_bgr(ctx), bgr, NULL, fz_default_color_params);
    const float full = 1 - 0.5f / 255;
    snap->m_cellWhite = bgr[0] >= full || bgr[1] >= full || bgr[2] >= full;
}

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
    NoteColour(ctx, dev, cs, color);
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
    NoteColour(ctx, dev, NULL, NULL);
    fz_fill_image(ctx, Target(dev), image, ImageMatrix(ctm), alpha, params);
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    NoteColour(ctx, dev, cs, color);
    fz_fill_image_mask(ctx, Target(dev), image, ImageMatrix(ctm), cs, color, alpha, params);
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    fz_clip_image_mask(ctx, Target(dev), image, ImageMatrix(ctm), scissor);
}

static int Recording(fz_device* dev) { return ((SnapDevice*)dev)->m_recorder != NULL; }

/* A cell records an unpacked copy (VDRW_PathCopy.h). */
static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    NoteColour(ctx, dev, cs, color);
    if (Recording(dev))
        VDRW_StrokeUnpacked(ctx, Target(dev), path, stroke, ctm, cs, color, alpha, params);
    else
        fz_stroke_path(ctx, Target(dev), path, stroke, ctm, cs, color, alpha, params);
}

/* A cell being recorded keeps the clip as it is (an unpacked copy): it is
 * made by coverage when the cell is drawn onto the band. */
static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    if (Recording(dev))
        VDRW_ClipStrokeUnpacked(ctx, Target(dev), path, stroke, ctm, scissor);
    else
        VDRW_ClipStrokeByCoverage(ctx, Target(dev), path, stroke, ctm, scissor, ((SnapDevice*)dev)->m_scissor);
}

static int InKnockout(const SnapDevice* snap);
static void OpenGroup(fz_device* dev, int knockout, fz_colorspace* model);
static void CloseGroup(fz_device* dev);

/* The colour space the draw device behind paints in now: the band's
 * outside groups and masks (CMYK on an ink's band), else the innermost
 * one's; NULL where it is not known. */
static fz_colorspace* Model(fz_context* ctx, const SnapDevice* snap) {
    if (snap->m_groups == 0)
        return VDRW_DrawingInkBand() ? fz_device_cmyk(ctx) : fz_device_bgr(ctx);
    return snap->m_groups <= 64 ? snap->m_models[snap->m_groups - 1] : NULL;
}

/* A group's, as the draw device takes it: the parent's without a colour
 * space, which an ink's band never passes on (VDRW_InkDevice.h); a device
 * space as the page's defaults name it. */
static fz_colorspace* GroupModel(fz_context* ctx, const SnapDevice* snap, fz_colorspace* cs) {
    if (!cs || VDRW_DrawingInkBand())
        return Model(ctx, snap);
    if (!snap->m_spaces)
        return cs;
    if (cs == fz_device_gray(ctx))
        return fz_default_gray(ctx, snap->m_spaces);
    if (cs == fz_device_rgb(ctx))
        return fz_default_rgb(ctx, snap->m_spaces);
    if (cs == fz_device_cmyk(ctx))
        return fz_default_cmyk(ctx, snap->m_spaces);
    return cs;
}

/* The colour space a text's glyphs are painted in, where it is known and
 * they need not knock out as one mark; NULL while a cell is recorded. */
static fz_colorspace* GlyphModel(fz_context* ctx, fz_device* dev) {
    const SnapDevice* snap = (const SnapDevice*)dev;
    return Recording(dev) || InKnockout(snap) ? NULL : Model(ctx, snap);
}

/* Coloured glyphs too large for MuPDF to keep are drawn within the band
 * alone (VDRW_ColourGlyphs.h). A text is one mark to a knockout group: its
 * glyphs then go into a group of their own, which knocks out as one. */
static void FillWithin(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                       const float* color, float alpha, fz_color_params params) {
    SnapDevice* snap = (SnapDevice*)dev;
    const int oneMark = !Recording(dev) && InKnockout(snap) && Model(ctx, snap) &&
                        VDRW_HasGlyphsRenderedWholeEachTime(ctx, text, ctm);
    if (oneMark) {
        const fz_rect area = fz_intersect_rect(fz_bound_text(ctx, text, NULL, ctm), snap->m_scissor);
        fz_begin_group(ctx, snap->m_target, area, NULL, 1, 0, FZ_BLEND_NORMAL, 1);
        OpenGroup(dev, 0, Model(ctx, snap));
    }
    fz_try(ctx) VDRW_FillTextWithin(ctx, Target(dev), text, ctm, cs, color, alpha, params, GlyphModel(ctx, dev),
                                    fz_irect_from_rect(snap->m_scissor));
    fz_always(ctx) {
        if (oneMark)
            CloseGroup(dev);
    }
    fz_catch(ctx) fz_rethrow(ctx);
    if (oneMark)
        fz_end_group(ctx, snap->m_target);
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    NoteColour(ctx, dev, cs, color);
    FillWithin(ctx, dev, text, ctm, cs, color, alpha, params);
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    NoteColour(ctx, dev, cs, color);
    if (!VDRW_HasColourGlyphs(ctx, text)) {
        fz_stroke_text(ctx, Target(dev), text, stroke, ctm, cs, color, alpha, params);
        return;
    }
    fz_text* coloured = NULL;
    fz_text* rest = NULL;
    fz_var(coloured);
    fz_var(rest);
    fz_try(ctx) {
        VDRW_SplitColourGlyphs(ctx, text, &coloured, &rest);
        if (rest)
            fz_stroke_text(ctx, Target(dev), rest, stroke, ctm, cs, color, alpha, params);
        FillWithin(ctx, dev, coloured, ctm, cs, color, alpha, params);
    }
    fz_always(ctx) {
        fz_drop_text(ctx, coloured);
        fz_drop_text(ctx, rest);
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    if (Recording(dev))
        fz_clip_text(ctx, Target(dev), text, ctm, scissor);
    else
        VDRW_ClipTextByCoverage(ctx, Target(dev), text, NULL, ctm, scissor, ((SnapDevice*)dev)->m_scissor);
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    if (Recording(dev))
        fz_clip_stroke_text(ctx, Target(dev), text, stroke, ctm, scissor);
    else
        VDRW_ClipTextByCoverage(ctx, Target(dev), text, stroke, ctm, scissor, ((SnapDevice*)dev)->m_scissor);
}

static void IgnoreText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm) {
    fz_ignore_text(ctx, Target(dev), text, ctm);
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    NoteColour(ctx, dev, NULL, NULL);
    fz_fill_shade(ctx, Target(dev), shade, ctm, alpha, params);
}

static void PopClip(fz_context* ctx, fz_device* dev) { fz_pop_clip(ctx, Target(dev)); }

static void OpenGroup(fz_device* dev, int knockout, fz_colorspace* model) {
    SnapDevice* snap = (SnapDevice*)dev;
    if (Recording(dev))
        return;
    if (snap->m_groups < 64)
        snap->m_models[snap->m_groups] = model;
    ++snap->m_groups;
    snap->m_knockouts = snap->m_knockouts << 1 | (knockout ? 1 : 0);
}

static void CloseGroup(fz_device* dev) {
    SnapDevice* snap = (SnapDevice*)dev;
    if (Recording(dev) || snap->m_groups == 0)
        return;
    --snap->m_groups;
    snap->m_knockouts = snap->m_knockouts >> 1 | (snap->m_groups >= 64 ? (uint64_t)1 << 63 : 0);
}

static int InKnockout(const SnapDevice* snap) {
    return snap->m_groups > 64 || (snap->m_groups > 0 && (snap->m_knockouts & 1));
}

/* A mask's content is drawn apart from the group it masks in. */
static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    fz_begin_mask(ctx, Target(dev), area, luminosity, cs, bc, params);
    /* A luminosity mask's contents are drawn in gray, a mask of alpha's
     * in alpha alone. */
    OpenGroup(dev, 0, luminosity ? fz_device_gray(ctx) : NULL);
}

static void EndMask(fz_context* ctx, fz_device* dev) {
    CloseGroup(dev);
    fz_end_mask(ctx, Target(dev));
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    if (Recording(dev) && blendmode != FZ_BLEND_NORMAL)
        ((SnapDevice*)dev)->m_cellBlends = 1;
    fz_begin_group(ctx, Target(dev), area, cs, isolated, knockout, blendmode, alpha);
    OpenGroup(dev, knockout, GroupModel(ctx, (SnapDevice*)dev, cs));
}

static void EndGroup(fz_context* ctx, fz_device* dev) {
    CloseGroup(dev);
    fz_end_group(ctx, Target(dev));
}

static int BeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    SnapDevice* snap = (SnapDevice*)dev;
    if (snap->m_recorder) {
        ++snap->m_nested;
        return fz_begin_tile_id(ctx, snap->m_recorder, area, view, xstep, ystep, ctm, id);
    }
    snap->m_cell = fz_new_display_list(ctx, fz_infinite_rect);
    fz_try(ctx) snap->m_recorder = fz_new_list_device(ctx, snap->m_cell);
    fz_catch(ctx) {
        fz_drop_display_list(ctx, snap->m_cell);
        snap->m_cell = NULL;
        fz_rethrow(ctx);
    }
    snap->m_tile = (Tile){area, view, xstep, ystep, ctm, id};
    snap->m_cellWhite = 0;
    snap->m_cellBlends = 0;
    return 0;
}

static int Stopped(const fz_cookie* cookie) {
    return cookie && __atomic_load_n(&cookie->abort, __ATOMIC_RELAXED);
}

/* MuPDF's own tiling, for a pattern too costly to draw cell by cell or
 * whose cell's marks blend; a cell that may paint white goes on a layer
 * that keeps white over white exact (VDRW_TileLayer.h). */
static void DrawAsOneTile(fz_context* ctx, SnapDevice* snap, fz_display_list* cell, Tile tile, int white,
                          int blends) {
    __atomic_add_fetch(&g_patternsTiled, 1, __ATOMIC_RELAXED);
    if (white) {
        VDRW_DrawTiledOnLayer(ctx, snap->m_target, cell, &tile, snap->m_scissor, snap->m_spaces, snap->m_cookie,
                              blends);
        return;
    }
    if (!fz_begin_tile_id(ctx, snap->m_target, tile.m_area, tile.m_view, tile.m_xstep, tile.m_ystep, tile.m_ctm,
                          tile.m_id))
        fz_run_display_list(ctx, cell, snap->m_target, fz_identity, fz_infinite_rect, snap->m_cookie);
    fz_end_tile(ctx, snap->m_target);
}

/* Whether the cell's marks stay inside its box, so that no clip is needed. */
static int InsideItsBox(fz_context* ctx, fz_display_list* cell, Tile tile) {
    fz_rect drawn = fz_empty_rect;
    fz_device* bounds = fz_new_bbox_device(ctx, &drawn);
    fz_try(ctx) {
        fz_run_display_list(ctx, cell, bounds, fz_identity, fz_infinite_rect, NULL);
        fz_close_device(ctx, bounds);
    }
    fz_always(ctx) fz_drop_device(ctx, bounds);
    fz_catch(ctx) fz_rethrow(ctx);
    const fz_rect box = fz_expand_rect(fz_transform_rect(tile.m_view, tile.m_ctm), kVDRW_SnapPixels);
    return fz_is_empty_rect(drawn) || fz_contains_rect(box, drawn);
}

/* The cell at one place, clipped to its box when its marks go beyond. */
static void DrawCell(fz_context* ctx, SnapDevice* snap, fz_display_list* cell, Tile tile, fz_path* box,
                     double dx, double dy) {
    const fz_matrix shift = fz_translate((float)dx, (float)dy);
    if (box)
        fz_clip_path(ctx, &snap->m_super, box, 0, fz_concat(tile.m_ctm, shift), fz_infinite_rect);
    fz_run_display_list(ctx, cell, &snap->m_super, shift, snap->m_scissor, snap->m_cookie);
    if (box)
        fz_pop_clip(ctx, &snap->m_super);
}

/* A cell's shift, whole pixels as MuPDF's tiling places its copies, so
 * that every cell inks the same pixels. */
static double WholePixels(double shift) { return floor(shift + kVDRW_SnapPixels); }

/* Whether a pattern is drawn cell by cell: as the drawing's plan chose for
 * the whole page; inside a cell drawn cell by cell, always, the plan having
 * counted it with the cell around it; with no plan, by the pattern alone
 * over its whole area. Never by the band. */
static int ByCell(fz_context* ctx, SnapDevice* snap, fz_display_list* cell, Tile tile) {
    if (snap->m_inCells > 0)
        return 1;
    const int planned = VDRW_PlannedTile(snap->m_plan, &tile);
    if (planned != VDRW_TileUnplanned)
        return planned == VDRW_TileByCell;
    const double cells =
        VDRW_TileCells(tile.m_area, tile.m_view, tile.m_xstep, tile.m_ystep, tile.m_ctm, fz_infinite_rect, NULL);
    return cells * VDRW_CellWork(ctx, cell, fz_infinite_rect) <= kVDRW_MostCellWork;
}

/* Each cell drawn straight where it falls on the band, so that its marks
 * blend exactly as any other mark; MuPDF's tiling composites a cell's
 * pixmap and can leave 254 where white was drawn over white. A cell whose
 * marks blend is tiled: they blend with the cell's own marks on
 * transparent pixels, and the cell with the band once, under the blend
 * mode of the mark its pattern paints, which MuPDF also puts around each
 * mark of the cell; drawn onto the band, they would blend with it as many
 * times (white under Multiply over grey comes out grey squared). */
static void DrawCells(fz_context* ctx, SnapDevice* snap, fz_display_list* cell, Tile tile, VDRW_CellRange cells);

static void DrawTiles(fz_context* ctx, SnapDevice* snap, fz_display_list* cell, Tile tile, int white, int blends) {
    VDRW_CellRange cells;
    const double count = VDRW_TileCells(tile.m_area, tile.m_view, tile.m_xstep, tile.m_ystep, tile.m_ctm,
                                        snap->m_scissor, &cells);
    if (count == 0)
        return;
    /* Every cell costs at least a unit: more than the budget's units were
     * never chosen, and cannot be counted in integers. */
    if (blends || !(count <= kVDRW_MostCellWork) || !ByCell(ctx, snap, cell, tile)) {
        DrawAsOneTile(ctx, snap, cell, tile, white, blends);
        return;
    }
    __atomic_add_fetch(&g_patternsByCell, 1, __ATOMIC_RELAXED);
    DrawCells(ctx, snap, cell, tile, cells);
}

/* The cells of a pattern drawn one by one. */
static void DrawCells(fz_context* ctx, SnapDevice* snap, fz_display_list* cell, Tile tile, VDRW_CellRange cells) {
    const fz_matrix m = tile.m_ctm;
    const int64_t columns = (int64_t)cells.m_columns, rows = (int64_t)cells.m_rows;
    fz_path* box = NULL;
    /* A pattern is one mark to a knockout group: its cells, drawn one by
     * one there, would knock out each other's edges, each at the cost of
     * the group's whole area. */
    int oneMark = InKnockout(snap);
    fz_var(box);
    fz_var(oneMark);
    if (oneMark) {
        const fz_rect area = fz_intersect_rect(fz_transform_rect(tile.m_area, tile.m_ctm), snap->m_scissor);
        fz_begin_group(ctx, snap->m_target, area, NULL, 1, 0, FZ_BLEND_NORMAL, 1);
        OpenGroup(&snap->m_super, 0, Model(ctx, snap));
    }
    ++snap->m_inCells;
    fz_try(ctx) {
        if (!InsideItsBox(ctx, cell, tile)) {
            box = fz_new_path(ctx);
            fz_rectto(ctx, box, tile.m_view.x0, tile.m_view.y0, tile.m_view.x1, tile.m_view.y1);
        }
        for (int64_t j = 0; j < rows && !Stopped(snap->m_cookie); ++j)
            for (int64_t i = 0; i < columns && !Stopped(snap->m_cookie); ++i) {
                const double x = (cells.m_i0 + i) * tile.m_xstep, y = (cells.m_j0 + j) * tile.m_ystep;
                DrawCell(ctx, snap, cell, tile, box, WholePixels(x * m.a + y * m.c), WholePixels(x * m.b + y * m.d));
            }
    }
    fz_always(ctx) {
        --snap->m_inCells;
        fz_drop_path(ctx, box);
        if (oneMark) {
            CloseGroup(&snap->m_super);
            fz_end_group(ctx, snap->m_target);
        }
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

static void EndTile(fz_context* ctx, fz_device* dev) {
    SnapDevice* snap = (SnapDevice*)dev;
    if (snap->m_nested > 0) {
        --snap->m_nested;
        fz_end_tile(ctx, snap->m_recorder);
        return;
    }
    fz_device* recorder = snap->m_recorder;
    fz_display_list* cell = snap->m_cell;
    const int white = snap->m_cellWhite, blends = snap->m_cellBlends;
    snap->m_recorder = NULL;
    snap->m_cell = NULL;
    fz_try(ctx) {
        fz_close_device(ctx, recorder);
        DrawTiles(ctx, snap, cell, snap->m_tile, white, blends);
    }
    fz_always(ctx) {
        fz_drop_device(ctx, recorder);
        fz_drop_display_list(ctx, cell);
    }
    fz_catch(ctx) fz_rethrow(ctx);
}

static void RenderFlags(fz_context* ctx, fz_device* dev, int set, int clear) {
    fz_render_flags(ctx, Target(dev), set, clear);
}

static void SetDefaultColorspaces(fz_context* ctx, fz_device* dev, fz_default_colorspaces* spaces) {
    SnapDevice* snap = (SnapDevice*)dev;
    fz_set_default_colorspaces(ctx, Target(dev), spaces);
    if (!Recording(dev)) {
        fz_drop_default_colorspaces(ctx, snap->m_spaces);
        snap->m_spaces = fz_keep_default_colorspaces(ctx, spaces);
    }
}

static void BeginLayer(fz_context* ctx, fz_device* dev, const char* name) {
    fz_begin_layer(ctx, Target(dev), name);
}

static void EndLayer(fz_context* ctx, fz_device* dev) { fz_end_layer(ctx, Target(dev)); }

/* A stopped list leaves a tile's recording open. */
static void DropDevice(fz_context* ctx, fz_device* dev) {
    SnapDevice* snap = (SnapDevice*)dev;
    fz_drop_device(ctx, snap->m_recorder);
    fz_drop_display_list(ctx, snap->m_cell);
    fz_drop_default_colorspaces(ctx, snap->m_spaces);
    fz_drop_device(ctx, snap->m_target);
}

fz_device* VDRW_NewSnapDevice(fz_context* ctx, fz_device* target, fz_rect scissor, fz_cookie* cookie,
                              const VDRW_TilePlan* plan) {
    SnapDevice* dev = fz_new_derived_device(ctx, SnapDevice);
    dev->m_plan = plan;
    dev->m_target = fz_keep_device(ctx, target);
    dev->m_scissor = scissor;
    dev->m_cookie = cookie;
    dev->m_super.drop_device = DropDevice;
    VDRW_SET_PASSING_ENTRIES(dev->m_super);
    return &dev->m_super;
}
