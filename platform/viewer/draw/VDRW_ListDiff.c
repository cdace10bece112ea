/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_ListDiff.h"

#include <stdint.h>
#include <string.h>

#include "VDRW_PassingDevice.h"

typedef enum Kind { kMark, kOpen, kClose, kOther, kEverywhere } Kind;

typedef struct Entry {
    uint64_t m_hash;
    fz_rect m_bounds; /* a mark's; an opener's: all it holds, once closed */
    int m_kind;
    int m_opener; /* a closer's opener; -1 */
    int m_scope;  /* the outermost mask or cell around it (or it itself); -1 */
    int m_maskContent; /* a mask whose contents are being read: they reach only what it masks */
} Entry;

/* A Type 3 font's glyphs are drawn from their own content at each band,
 * not from the list: the digest of that content, kept per font. */
enum { kGlyphFonts = 64 };
typedef struct GlyphFont {
    const fz_font* m_font;
    uint64_t m_hash;
} GlyphFont;

typedef struct Trace {
    fz_device m_super;
    GlyphFont m_glyphFonts[kGlyphFonts];
    int m_glyphFontCount;
    const VDRW_MaskRuns* m_runs;
    Entry* m_entries;
    int m_count, m_capacity;
    int* m_stack;
    int m_depth, m_stackCapacity;
    int m_scope;
    uint64_t m_hash; /* of the call being traced */
} Trace;

static Trace* Of(fz_device* dev) { return (Trace*)dev; }

static void Mix(Trace* t, const void* bytes, size_t size) {
    const unsigned char* p = bytes;
    for (size_t i = 0; i < size; ++i)
        t->m_hash = (t->m_hash ^ p[i]) * 0x100000001b3ull;
}

static void MixInt(Trace* t, int v) { Mix(t, &v, sizeof v); }
static void MixFloat(Trace* t, float v) { Mix(t, &v, sizeof v); }
static void MixMatrix(Trace* t, fz_matrix m) { Mix(t, &m, sizeof m); }
static void MixRect(Trace* t, fz_rect r) { Mix(t, &r, sizeof r); }

static void MixString(Trace* t, const char* s) {
    if (s)
        Mix(t, s, strlen(s) + 1);
    else
        MixInt(t, -1);
}

static void Start(Trace* t, int call) {
    t->m_hash = 0xcbf29ce484222325ull;
    MixInt(t, call);
}

static void MixSpace(fz_context* ctx, Trace* t, fz_colorspace* cs) {
    MixString(t, cs ? fz_colorspace_name(ctx, cs) : NULL);
    MixInt(t, cs ? fz_colorspace_n(ctx, cs) : 0);
}

static void MixColour(fz_context* ctx, Trace* t, fz_colorspace* cs, const float* colour, float alpha,
                      fz_color_params params) {
    MixSpace(ctx, t, cs);
    if (cs && colour)
        Mix(t, colour, sizeof *colour * (size_t)fz_colorspace_n(ctx, cs));
    MixFloat(t, alpha);
    Mix(t, &params, sizeof params);
}

static void MoveTo(fz_context* ctx, void* arg, float x, float y) {
    (void)ctx;
    const float v[3] = {1, x, y};
    Mix(arg, v, sizeof v);
}

static void LineTo(fz_context* ctx, void* arg, float x, float y) {
    (void)ctx;
    const float v[3] = {2, x, y};
    Mix(arg, v, sizeof v);
}

static void CurveTo(fz_context* ctx, void* arg, float x1, float y1, float x2, float y2, float x3, float y3) {
    (void)ctx;
    const float v[7] = {3, x1, y1, x2, y2, x3, y3};
    Mix(arg, v, sizeof v);
}

static void ClosePath(fz_context* ctx, void* arg) {
    (void)ctx;
    MixInt(arg, 4);
}

static void MixPath(fz_context* ctx, Trace* t, const fz_path* path) {
    static const fz_path_walker walker = {MoveTo, LineTo, CurveTo, ClosePath, NULL, NULL, NULL, NULL};
    fz_walk_path(ctx, path, &walker, t);
}

static void MixStroke(Trace* t, const fz_stroke_state* s) {
    if (!s) {
        MixInt(t, -1);
        return;
    }
    const int caps[4] = {(int)s->start_cap, (int)s->dash_cap, (int)s->end_cap, (int)s->linejoin};
    Mix(t, caps, sizeof caps);
    MixFloat(t, s->linewidth);
    MixFloat(t, s->miterlimit);
    MixFloat(t, s->dash_phase);
    MixInt(t, s->dash_len);
    if (s->dash_len > 0 && s->dash_len <= 32)
        Mix(t, s->dash_list, sizeof *s->dash_list * (size_t)s->dash_len);
}

/* The digest of every glyph's content of a Type 3 font. */
static uint64_t GlyphsOf(Trace* t, const fz_font* font) {
    for (int i = 0; i < t->m_glyphFontCount; ++i)
        if (t->m_glyphFonts[i].m_font == font)
            return t->m_glyphFonts[i].m_hash;
    const uint64_t outer = t->m_hash;
    t->m_hash = 0xcbf29ce484222325ull;
    for (int i = 0; i < 256; ++i) {
        const fz_buffer* proc = font->t3procs[i];
        MixInt(t, proc ? (int)proc->len : -1);
        if (proc && proc->len)
            Mix(t, proc->data, proc->len);
    }
    const uint64_t glyphs = t->m_hash;
    t->m_hash = outer;
    if (t->m_glyphFontCount < kGlyphFonts) {
        t->m_glyphFonts[t->m_glyphFontCount].m_font = font;
        t->m_glyphFonts[t->m_glyphFontCount++].m_hash = glyphs;
    }
    return glyphs;
}

static void MixText(fz_context* ctx, Trace* t, const fz_text* text) {
    for (const fz_text_span* span = text->head; span; span = span->next) {
        fz_font* font = span->font;
        MixString(t, fz_font_name(ctx, font));
        MixInt(t, font->t3procs != NULL);
        if (font->t3procs) {
            const uint64_t glyphs = GlyphsOf(t, font);
            Mix(t, &glyphs, sizeof glyphs);
        }
        MixInt(t, font->buffer ? (int)font->buffer->len : -1);
        MixMatrix(t, span->trm);
        MixInt(t, (int)span->wmode);
        MixInt(t, span->len);
        for (int i = 0; i < span->len; ++i) {
            MixInt(t, span->items[i].gid);
            MixFloat(t, span->items[i].x);
            MixFloat(t, span->items[i].y);
        }
    }
}

static void MixImage(fz_context* ctx, Trace* t, fz_image* image) {
    const int v[5] = {image->w, image->h, image->n, image->bpc, image->imagemask};
    Mix(t, v, sizeof v);
    MixSpace(ctx, t, image->colorspace);
}

static void Append(fz_context* ctx, Trace* t, int kind, fz_rect bounds) {
    if (t->m_count == t->m_capacity) {
        const int capacity = t->m_capacity ? t->m_capacity * 2 : 256;
        t->m_entries = fz_realloc_array(ctx, t->m_entries, capacity, Entry);
        t->m_capacity = capacity;
    }
    Entry* e = &t->m_entries[t->m_count++];
    e->m_hash = t->m_hash;
    e->m_bounds = bounds;
    e->m_kind = kind;
    e->m_opener = -1;
    e->m_scope = t->m_scope;
    e->m_maskContent = 0;
    if (kind == kMark && t->m_depth > 0) {
        Entry* opener = &t->m_entries[t->m_stack[t->m_depth - 1]];
        if (!opener->m_maskContent)
            opener->m_bounds = fz_union_rect(opener->m_bounds, bounds);
    }
}

/* widens: a mask or a pattern's cell, whose every change reaches all it
 * holds. */
static void Open(fz_context* ctx, Trace* t, fz_rect own, int widens) {
    if (t->m_depth == t->m_stackCapacity) {
        const int capacity = t->m_stackCapacity ? t->m_stackCapacity * 2 : 32;
        t->m_stack = fz_realloc_array(ctx, t->m_stack, capacity, int);
        t->m_stackCapacity = capacity;
    }
    Append(ctx, t, kOpen, own);
    const int index = t->m_count - 1;
    if (t->m_scope < 0 && widens)
        t->m_scope = t->m_entries[index].m_scope = index;
    t->m_stack[t->m_depth++] = index;
}

static void Close(fz_context* ctx, Trace* t) {
    if (t->m_depth == 0) {
        Append(ctx, t, kOther, fz_empty_rect);
        return;
    }
    const int opener = t->m_stack[--t->m_depth];
    if (t->m_scope == opener)
        t->m_scope = -1;
    Append(ctx, t, kClose, fz_empty_rect);
    Entry* closer = &t->m_entries[t->m_count - 1];
    closer->m_opener = opener;
    closer->m_scope = t->m_entries[opener].m_scope;
    if (t->m_depth > 0) {
        Entry* parent = &t->m_entries[t->m_stack[t->m_depth - 1]];
        if (!parent->m_maskContent)
            parent->m_bounds = fz_union_rect(parent->m_bounds, t->m_entries[opener].m_bounds);
    }
}

static void FillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    Trace* t = Of(dev);
    Start(t, 1);
    MixPath(ctx, t, path);
    MixInt(t, evenOdd);
    MixMatrix(t, ctm);
    MixColour(ctx, t, cs, color, alpha, params);
    Append(ctx, t, kMark, fz_bound_path(ctx, path, NULL, ctm));
}

static void StrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    Trace* t = Of(dev);
    Start(t, 2);
    MixPath(ctx, t, path);
    MixStroke(t, stroke);
    MixMatrix(t, ctm);
    MixColour(ctx, t, cs, color, alpha, params);
    Append(ctx, t, kMark, fz_bound_path(ctx, path, stroke, ctm));
}

static void ClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    Trace* t = Of(dev);
    (void)scissor;
    Start(t, 3);
    MixPath(ctx, t, path);
    MixInt(t, evenOdd);
    MixMatrix(t, ctm);
    Open(ctx, t, fz_empty_rect, 0);
}

static void ClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    Trace* t = Of(dev);
    (void)scissor;
    Start(t, 4);
    MixPath(ctx, t, path);
    MixStroke(t, stroke);
    MixMatrix(t, ctm);
    Open(ctx, t, fz_empty_rect, 0);
}

static void FillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                     const float* color, float alpha, fz_color_params params) {
    Trace* t = Of(dev);
    Start(t, 5);
    MixText(ctx, t, text);
    MixMatrix(t, ctm);
    MixColour(ctx, t, cs, color, alpha, params);
    Append(ctx, t, kMark, fz_bound_text(ctx, text, NULL, ctm));
}

static void StrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    Trace* t = Of(dev);
    Start(t, 6);
    MixText(ctx, t, text);
    MixStroke(t, stroke);
    MixMatrix(t, ctm);
    MixColour(ctx, t, cs, color, alpha, params);
    Append(ctx, t, kMark, fz_bound_text(ctx, text, stroke, ctm));
}

static void ClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    Trace* t = Of(dev);
    (void)scissor;
    Start(t, 7);
    MixText(ctx, t, text);
    MixMatrix(t, ctm);
    Open(ctx, t, fz_empty_rect, 0);
}

static void ClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    Trace* t = Of(dev);
    (void)scissor;
    Start(t, 8);
    MixText(ctx, t, text);
    MixStroke(t, stroke);
    MixMatrix(t, ctm);
    Open(ctx, t, fz_empty_rect, 0);
}

static void IgnoreText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm) {
    Trace* t = Of(dev);
    Start(t, 9);
    MixText(ctx, t, text);
    MixMatrix(t, ctm);
    Append(ctx, t, kOther, fz_empty_rect);
}

static void FillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    Trace* t = Of(dev);
    const fz_rect bounds = fz_bound_shade(ctx, shade, ctm);
    Start(t, 10);
    MixInt(t, shade->type);
    MixSpace(ctx, t, shade->colorspace);
    MixMatrix(t, ctm);
    MixRect(t, bounds);
    MixFloat(t, alpha);
    Mix(t, &params, sizeof params);
    Append(ctx, t, kMark, bounds);
}

static void FillImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                      fz_color_params params) {
    Trace* t = Of(dev);
    const int run = t->m_depth == 0 ? VDRW_MaskRunIndex(t->m_runs, image) : -1;
    if (run >= 0) {
        /* The run's marks in its place, as a band draws them. */
        fz_run_display_list(ctx, VDRW_MaskRunList(t->m_runs, run), dev, fz_identity, fz_infinite_rect, NULL);
        return;
    }
    Start(t, 11);
    MixImage(ctx, t, image);
    MixMatrix(t, ctm);
    MixFloat(t, alpha);
    Mix(t, &params, sizeof params);
    Append(ctx, t, kMark, fz_transform_rect(fz_unit_rect, ctm));
}

static void FillImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                          const float* color, float alpha, fz_color_params params) {
    Trace* t = Of(dev);
    Start(t, 12);
    MixImage(ctx, t, image);
    MixMatrix(t, ctm);
    MixColour(ctx, t, cs, color, alpha, params);
    Append(ctx, t, kMark, fz_transform_rect(fz_unit_rect, ctm));
}

static void ClipImageMask(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, fz_rect scissor) {
    Trace* t = Of(dev);
    (void)scissor;
    Start(t, 13);
    MixImage(ctx, t, image);
    MixMatrix(t, ctm);
    Open(ctx, t, fz_empty_rect, 0);
}

static void PopClip(fz_context* ctx, fz_device* dev) {
    Start(Of(dev), 14);
    Close(ctx, Of(dev));
}

static void BeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int luminosity, fz_colorspace* cs,
                      const float* bc, fz_color_params params) {
    Trace* t = Of(dev);
    Start(t, 15);
    MixRect(t, area);
    MixInt(t, luminosity);
    MixColour(ctx, t, cs, bc, 1, params);
    /* Popped by the clip that ends what it masks, which alone it reaches:
     * its contents and area only say how much of it shows. */
    Open(ctx, t, fz_empty_rect, 1);
    t->m_entries[t->m_count - 1].m_maskContent = 1;
}

static void EndMask(fz_context* ctx, fz_device* dev) {
    Trace* t = Of(dev);
    if (t->m_depth > 0)
        t->m_entries[t->m_stack[t->m_depth - 1]].m_maskContent = 0;
    Start(t, 16);
    Append(ctx, t, kOther, fz_empty_rect);
}

static void BeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated,
                       int knockout, int blendmode, float alpha) {
    Trace* t = Of(dev);
    Start(t, 17);
    MixRect(t, area);
    MixSpace(ctx, t, cs);
    const int v[3] = {isolated, knockout, blendmode};
    Mix(t, v, sizeof v);
    MixFloat(t, alpha);
    Open(ctx, t, fz_empty_rect, 0);
}

static void EndGroup(fz_context* ctx, fz_device* dev) {
    Start(Of(dev), 18);
    Close(ctx, Of(dev));
}

static int BeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    Trace* t = Of(dev);
    (void)id; /* the list's own, not the content's */
    Start(t, 19);
    MixRect(t, area);
    MixRect(t, view);
    MixFloat(t, xstep);
    MixFloat(t, ystep);
    MixMatrix(t, ctm);
    Open(ctx, t, area, 1);
    return 0;
}

static void EndTile(fz_context* ctx, fz_device* dev) {
    Start(Of(dev), 20);
    Close(ctx, Of(dev));
}

static void RenderFlags(fz_context* ctx, fz_device* dev, int set, int clear) {
    Trace* t = Of(dev);
    Start(t, 21);
    MixInt(t, set);
    MixInt(t, clear);
    Append(ctx, t, kEverywhere, fz_empty_rect);
}

static void SetDefaultColorspaces(fz_context* ctx, fz_device* dev, fz_default_colorspaces* spaces) {
    Trace* t = Of(dev);
    Start(t, 22);
    MixSpace(ctx, t, fz_default_gray(ctx, spaces));
    MixSpace(ctx, t, fz_default_rgb(ctx, spaces));
    MixSpace(ctx, t, fz_default_cmyk(ctx, spaces));
    Append(ctx, t, kEverywhere, fz_empty_rect);
}

static void BeginLayer(fz_context* ctx, fz_device* dev, const char* name) {
    Start(Of(dev), 23);
    MixString(Of(dev), name);
    Append(ctx, Of(dev), kOther, fz_empty_rect);
}

static void EndLayer(fz_context* ctx, fz_device* dev) {
    Start(Of(dev), 24);
    Append(ctx, Of(dev), kOther, fz_empty_rect);
}

static void DropTrace(fz_context* ctx, fz_device* dev) {
    fz_free(ctx, Of(dev)->m_entries);
    fz_free(ctx, Of(dev)->m_stack);
}

static Trace* NewTrace(fz_context* ctx, const VDRW_MaskRuns* runs) {
    Trace* t = fz_new_derived_device(ctx, Trace);
    t->m_runs = runs;
    t->m_scope = -1;
    t->m_super.drop_device = DropTrace;
    VDRW_SET_PASSING_ENTRIES(t->m_super);
    return t;
}

static void Walk(fz_context* ctx, Trace* t, fz_display_list* list) {
    fz_run_display_list(ctx, list, &t->m_super, fz_identity, fz_infinite_rect, NULL);
    fz_close_device(ctx, &t->m_super);
    /* Left open: what it holds reaches to the end, wherever that is. */
    while (t->m_depth > 0)
        t->m_entries[t->m_stack[--t->m_depth]].m_bounds = fz_infinite_rect;
}

/* What a change at entry i can reach. */
static fz_rect Reach(const Trace* t, int i) {
    const Entry* e = &t->m_entries[i];
    if (e->m_kind == kEverywhere)
        return fz_infinite_rect;
    if (e->m_scope >= 0)
        return t->m_entries[e->m_scope].m_bounds;
    if (e->m_kind == kOpen)
        return e->m_bounds;
    if (e->m_kind == kClose)
        return t->m_entries[e->m_opener].m_bounds;
    return e->m_bounds;
}

static fz_rect Between(const Trace* t, int from, int to, fz_rect area) {
    for (int i = from; i < to; ++i)
        area = fz_union_rect(area, Reach(t, i));
    return area;
}

fz_rect VDRW_ListsDifferWithin(fz_context* ctx, fz_display_list* a, const VDRW_MaskRuns* aRuns, fz_display_list* b,
                               const VDRW_MaskRuns* bRuns) {
    Trace* one = NULL;
    Trace* other = NULL;
    fz_rect area = fz_empty_rect;
    fz_var(one);
    fz_var(other);
    fz_try(ctx) {
        one = NewTrace(ctx, aRuns);
        other = NewTrace(ctx, bRuns);
        Walk(ctx, one, a);
        Walk(ctx, other, b);
        const int n = one->m_count, m = other->m_count;
        int same = 0, last = 0;
        while (same < n && same < m && one->m_entries[same].m_hash == other->m_entries[same].m_hash)
            ++same;
        while (last < n - same && last < m - same &&
               one->m_entries[n - 1 - last].m_hash == other->m_entries[m - 1 - last].m_hash)
            ++last;
        area = Between(other, same, m - last, Between(one, same, n - last, fz_empty_rect));
    }
    fz_always(ctx) {
        fz_drop_device(ctx, (fz_device*)one);
        fz_drop_device(ctx, (fz_device*)other);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return area;
}
