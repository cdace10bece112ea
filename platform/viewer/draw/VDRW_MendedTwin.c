#include "VDRW_MendedTwin.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "VDRW_ListDiff.h"
#include "VDRW_LossChecks.h"
#include "VDRW_SnapDevice.h"
#include "VDRW_SoftMaskDevice.h"
#include "VDRW_StreamMend.h"
#include "VDRW_UnreadableTokens.h"

static void Blank(unsigned char* bytes, int64_t from, int64_t to, int* changed) {
    if (to > from) {
        memset(bytes + from, ' ', (size_t)(to - from));
        *changed = 1;
    }
}

typedef struct Blanking {
    unsigned char* m_bytes;
    int m_changed;
} Blanking;

static int BlankStretch(void* user, int64_t from, int64_t to, int drops) {
    Blanking* blanking = (Blanking*)user;
    (void)drops;
    Blank(blanking->m_bytes, from, to, &blanking->m_changed);
    return 0;
}

/* Blanks what MuPDF's interpreter cannot read; blanks keep every offset. */
static int BlankUnreadable(fz_context* ctx, fz_stream* stm, pdf_lexbuf* buf, unsigned char* bytes) {
    Blanking blanking = {bytes, 0};
    VDRW_WalkUnreadable(ctx, stm, buf, BlankStretch, &blanking);
    return blanking.m_changed;
}

/* Blanks content's unreadable tokens where they are: the lexer has read
 * past every byte it blanks. 1 when something was blanked. */
static int MendInPlace(fz_context* ctx, fz_buffer* content) {
    fz_stream* stm = NULL;
    pdf_lexbuf buf;
    int changed = 0;
    unsigned char* data = NULL;
    fz_buffer_storage(ctx, content, &data);
    pdf_lexbuf_init(ctx, &buf, PDF_LEXBUF_SMALL);
    fz_var(stm);
    fz_var(changed);
    fz_try(ctx) {
        stm = fz_open_buffer(ctx, content);
        changed = BlankUnreadable(ctx, stm, &buf, data);
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stm);
        pdf_lexbuf_fin(ctx, &buf);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return changed;
}

fz_buffer* VDRW_MendedContent(fz_context* ctx, fz_buffer* content) {
    unsigned char* data = NULL;
    const size_t size = fz_buffer_storage(ctx, content, &data);
    fz_buffer* mended = fz_new_buffer_from_copied_data(ctx, data, size);
    int changed = 0;
    fz_var(changed);
    fz_try(ctx) {
        changed = MendInPlace(ctx, mended);
    }
    fz_catch(ctx) {
        fz_drop_buffer(ctx, mended);
        fz_rethrow(ctx);
    }
    if (!changed) {
        fz_drop_buffer(ctx, mended);
        mended = NULL;
    }
    return mended;
}

/* Only content read whole is mended: a stream cut short stays so, and the
 * twin loses what the source lost. Mended in the buffer read, which the
 * twin keeps: one copy. Returns 0, to be given every stream. */
static int MendStream(fz_context* ctx, pdf_document* doc, pdf_obj* stream) {
    fz_buffer* content = NULL;
    pdf_obj* filter = pdf_dict_get(ctx, stream, PDF_NAME(Filter));
    if (!pdf_is_stream(ctx, stream) || !pdf_is_indirect(ctx, stream))
        return 0;
    if (filter && !(VDRW_IsFlate(ctx, filter) && pdf_array_len(ctx, filter) <= 1))
        return 0;
    if (filter && VDRW_FlateStreamCut(ctx, doc, pdf_to_num(ctx, stream)))
        return 0;
    fz_var(content);
    fz_try(ctx) {
        /* Read as it streams where it can: a long stream is never held. */
        if (!VDRW_MendStreamThrough(ctx, doc, stream))
            content = pdf_load_stream(ctx, stream);
        if (content && MendInPlace(ctx, content))
            pdf_update_stream(ctx, doc, stream, content, 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, content);
    }
    fz_catch(ctx) {
        /* Left as it is: the twin loses it as the source does. */
    }
    return 0;
}

/* What the twin's mending of fonts needs: the source, the fonts whose
 * files are cut, and the box glyphs written, shared by every font. */
typedef struct CutFont {
    int m_num;             /* the font's object, in either document */
    pdf_font_desc* m_desc; /* the source's, as its page drew it; null when it did not load */
    int m_failed;          /* a glyph the page shows did not draw, or the font is not its own */
    int m_composite;       /* a Type0 font whose descendant's file is cut */
    unsigned char* m_seen; /* by glyph: 1 shown, 2 looked at, 4 failed; null before the first */
} CutFont;

typedef struct Box {
    float m_width, m_low, m_high;
    pdf_obj* m_glyph;
} Box;

typedef struct Mending {
    pdf_document* m_twin;
    pdf_document* m_source;
    signed char* m_fileCut; /* by object: 0 not looked at, 1 cut, -1 whole */
    int m_objects;
    CutFont* m_fonts;
    int m_count, m_capacity;
    Box* m_boxes;
    int m_boxCount, m_boxCapacity;
} Mending;

enum { kGlyphs = 0x10000 };

/* A box a glyph of width w (in thousandths of the text size) takes,
 * between the font's lowest and highest reach; one stream for every glyph
 * of that box. */
static pdf_obj* BoxGlyph(fz_context* ctx, Mending* m, float w, fz_rect bbox) {
    for (int i = 0; i < m->m_boxCount; ++i)
        if (m->m_boxes[i].m_width == w && m->m_boxes[i].m_low == bbox.y0 && m->m_boxes[i].m_high == bbox.y1)
            return m->m_boxes[i].m_glyph;
    if (m->m_boxCount == m->m_boxCapacity) {
        const int capacity = m->m_boxCapacity ? m->m_boxCapacity * 2 : 16;
        m->m_boxes = fz_realloc_array(ctx, m->m_boxes, capacity, Box);
        m->m_boxCapacity = capacity;
    }
    fz_buffer* content = fz_new_buffer(ctx, 64);
    pdf_obj* glyph = NULL;
    fz_try(ctx) {
        fz_append_printf(ctx, content, "%g 0 0 %g %g %g d1 0 %g %g %g re f", w, bbox.y0, w, bbox.y1, bbox.y0, w,
                         bbox.y1 - bbox.y0);
        glyph = pdf_add_stream(ctx, m->m_twin, content, NULL, 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, content);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    Box* box = &m->m_boxes[m->m_boxCount++];
    box->m_width = w;
    box->m_low = bbox.y0;
    box->m_high = bbox.y1;
    box->m_glyph = glyph;
    return glyph;
}

/* Fonts that share one file look at it once. A file whose check fails is
 * taken as cut too: whole, its glyphs may still be garbled. */
static int FileCut(fz_context* ctx, Mending* m, pdf_obj* file) {
    const int num = pdf_to_num(ctx, file);
    if (!pdf_is_indirect(ctx, file) || num <= 0)
        return 0;
    if (num >= m->m_objects)
        return VDRW_FlateStreamCheckFails(ctx, m->m_twin, num);
    if (m->m_fileCut[num] == 0)
        m->m_fileCut[num] = VDRW_FlateStreamCheckFails(ctx, m->m_twin, num) ? 1 : -1;
    return m->m_fileCut[num] > 0;
}

static int FontFileCut(fz_context* ctx, Mending* m, pdf_obj* descriptor) {
    static pdf_obj* const keys[] = {PDF_NAME(FontFile), PDF_NAME(FontFile2), PDF_NAME(FontFile3)};
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i)
        if (FileCut(ctx, m, pdf_dict_get(ctx, descriptor, keys[i])))
            return 1;
    return 0;
}

/* A simple font whose widths the twin can draw as boxes. */
static int Boxable(fz_context* ctx, pdf_obj* font) {
    pdf_obj* subtype = pdf_dict_get(ctx, font, PDF_NAME(Subtype));
    const int first = pdf_dict_get_int(ctx, font, PDF_NAME(FirstChar));
    const int count = pdf_array_len(ctx, pdf_dict_get(ctx, font, PDF_NAME(Widths)));
    return (pdf_name_eq(ctx, subtype, PDF_NAME(Type1)) || pdf_name_eq(ctx, subtype, PDF_NAME(TrueType)) ||
            pdf_name_eq(ctx, subtype, PDF_NAME(MMType1))) &&
           count > 0 && first >= 0 && first + count <= 256;
}

/* Whether code of f shows in the page: every code when the source's font
 * could not be told. */
static int CodeShown(fz_context* ctx, const CutFont* f, int code) {
    if (!f->m_desc || !f->m_seen)
        return 1;
    const int gid = pdf_font_cid_to_gid(ctx, f->m_desc, code);
    return gid >= 0 && gid < kGlyphs && (f->m_seen[gid] & 1);
}

/* The font becomes a Type 3 font of the same widths whose every glyph the
 * page shows is a box as wide as its advance and as tall as the font: what
 * its text would have covered, which no substitute draws as MuPDF draws
 * the damaged font. */
static void MendFont(fz_context* ctx, Mending* m, const CutFont* f, pdf_obj* font) {
    pdf_obj* widths = pdf_dict_get(ctx, font, PDF_NAME(Widths));
    const int first = pdf_dict_get_int(ctx, font, PDF_NAME(FirstChar));
    const int count = pdf_array_len(ctx, widths);
    pdf_obj* descriptor = pdf_dict_get(ctx, font, PDF_NAME(FontDescriptor));
    fz_rect bbox = pdf_to_rect(ctx, pdf_dict_get(ctx, descriptor, PDF_NAME(FontBBox)));
    if (!(bbox.y1 > bbox.y0))
        bbox = fz_make_rect(0, -250, 1000, 1000);
    pdf_obj* procs = pdf_dict_put_dict(ctx, font, PDF_NAME(CharProcs), 8);
    pdf_obj* encoding = pdf_dict_put_dict(ctx, font, PDF_NAME(Encoding), 1);
    pdf_obj* differences = pdf_dict_put_array(ctx, encoding, PDF_NAME(Differences), 8);
    for (int i = 0; i < count; ++i) {
        char name[16];
        if (!CodeShown(ctx, f, first + i))
            continue;
        snprintf(name, sizeof name, "g%d", first + i);
        pdf_array_push_int(ctx, differences, first + i);
        pdf_array_push_name(ctx, differences, name);
        pdf_dict_puts(ctx, procs, name, BoxGlyph(ctx, m, pdf_array_get_real(ctx, widths, i), bbox));
    }
    pdf_dict_put(ctx, font, PDF_NAME(Subtype), PDF_NAME(Type3));
    pdf_dict_put_rect(ctx, font, PDF_NAME(FontBBox), bbox);
    pdf_dict_put_matrix(ctx, font, PDF_NAME(FontMatrix), fz_scale(0.001f, 0.001f));
    pdf_dict_put_dict(ctx, font, PDF_NAME(Resources), 0);
}

static int IsComposite(fz_context* ctx, pdf_obj* font) {
    return pdf_name_eq(ctx, pdf_dict_get(ctx, font, PDF_NAME(Subtype)), PDF_NAME(Type0));
}

/* The descendant of a composite font. */
static pdf_obj* Descendant(fz_context* ctx, pdf_obj* font) {
    return pdf_array_get(ctx, pdf_dict_get(ctx, font, PDF_NAME(DescendantFonts)), 0);
}

/* Bytes a code of the source's font object num takes: those of its map's
 * first code space, two when the font did not load. */
static int CodeBytes(fz_context* ctx, pdf_document* source, int num) {
    pdf_obj* ref = NULL;
    pdf_font_desc* desc = NULL;
    int bytes = 2;
    fz_var(ref);
    fz_var(desc);
    fz_var(bytes);
    fz_try(ctx) {
        ref = pdf_new_indirect(ctx, source, num, 0);
        desc = pdf_load_font(ctx, source, NULL, ref);
        if (desc->encoding && desc->encoding->codespace_len > 0 && desc->encoding->codespace[0].n >= 1 &&
            desc->encoding->codespace[0].n <= 4)
            bytes = desc->encoding->codespace[0].n;
    }
    fz_always(ctx) {
        pdf_drop_font(ctx, desc);
        pdf_drop_obj(ctx, ref);
    }
    fz_catch(ctx) {
        bytes = 2;
    }
    return bytes;
}

/* A composite font whose map of codes stops short, or whose file does
 * where a glyph the page shows failed, becomes a Type 3 font whose every
 * byte is a box, a code's bytes together as wide as the descendant's
 * default width: the codes past the cut draw nothing in the page, and no
 * glyph of the font can stand for them. */
static void MendCompositeFont(fz_context* ctx, Mending* m, pdf_obj* font) {
    pdf_obj* descendant = Descendant(ctx, font);
    pdf_obj* descriptor = pdf_dict_get(ctx, descendant, PDF_NAME(FontDescriptor));
    pdf_obj* dw = pdf_dict_get(ctx, descendant, PDF_NAME(DW));
    const float advance = pdf_is_number(ctx, dw) && pdf_to_real(ctx, dw) > 0 ? pdf_to_real(ctx, dw) : 1000;
    const float width = advance / (float)CodeBytes(ctx, m->m_source, pdf_to_num(ctx, font));
    fz_rect bbox = pdf_to_rect(ctx, pdf_dict_get(ctx, descriptor, PDF_NAME(FontBBox)));
    if (!(bbox.y1 > bbox.y0))
        bbox = fz_make_rect(0, -250, 1000, 1000);
    pdf_obj* glyph = BoxGlyph(ctx, m, width, bbox);
    pdf_obj* procs = pdf_dict_put_dict(ctx, font, PDF_NAME(CharProcs), 256);
    pdf_obj* encoding = pdf_dict_put_dict(ctx, font, PDF_NAME(Encoding), 1);
    pdf_obj* differences = pdf_dict_put_array(ctx, encoding, PDF_NAME(Differences), 257);
    pdf_obj* widths = pdf_dict_put_array(ctx, font, PDF_NAME(Widths), 256);
    pdf_array_push_int(ctx, differences, 0);
    for (int code = 0; code < 256; ++code) {
        char name[16];
        snprintf(name, sizeof name, "g%d", code);
        pdf_array_push_name(ctx, differences, name);
        pdf_array_push_real(ctx, widths, width);
        pdf_dict_puts(ctx, procs, name, glyph);
    }
    pdf_dict_put(ctx, font, PDF_NAME(Subtype), PDF_NAME(Type3));
    pdf_dict_put_int(ctx, font, PDF_NAME(FirstChar), 0);
    pdf_dict_put_int(ctx, font, PDF_NAME(LastChar), 255);
    pdf_dict_put_rect(ctx, font, PDF_NAME(FontBBox), bbox);
    pdf_dict_put_matrix(ctx, font, PDF_NAME(FontMatrix), fz_scale(0.001f, 0.001f));
    pdf_dict_put_dict(ctx, font, PDF_NAME(Resources), 0);
    pdf_dict_del(ctx, font, PDF_NAME(DescendantFonts));
}


/* How much a soft mask's group cut to nothing lets through: an alpha
 * group nothing, a luminosity group its backdrop's light, black unless /BC
 * says. */
static float EmptyGroupLight(fz_context* ctx, pdf_obj* mask) {
    pdf_obj* bc = pdf_dict_get(ctx, mask, PDF_NAME(BC));
    const int n = pdf_array_len(ctx, bc);
    if (!pdf_name_eq(ctx, pdf_dict_get(ctx, mask, PDF_NAME(S)), PDF_NAME(Luminosity)))
        return 0;
    if (n == 1)
        return pdf_array_get_real(ctx, bc, 0);
    if (n == 3)
        return 0.3f * pdf_array_get_real(ctx, bc, 0) + 0.59f * pdf_array_get_real(ctx, bc, 1) +
               0.11f * pdf_array_get_real(ctx, bc, 2);
    if (n == 4)
        return 1 - (0.3f * pdf_array_get_real(ctx, bc, 0) + 0.59f * pdf_array_get_real(ctx, bc, 1) +
                    0.11f * pdf_array_get_real(ctx, bc, 2) + pdf_array_get_real(ctx, bc, 3));
    return 0;
}

/* Whether a form's Flate data, or those of a form it draws, stop short. */
static int DrawsCutFlate(fz_context* ctx, pdf_document* doc, pdf_obj* form, int depth) {
    pdf_obj* forms = pdf_dict_get(ctx, pdf_dict_get(ctx, form, PDF_NAME(Resources)), PDF_NAME(XObject));
    if (!pdf_is_indirect(ctx, form) || !pdf_is_stream(ctx, form) || depth > 8)
        return 0;
    if (VDRW_IsFlate(ctx, pdf_dict_get(ctx, form, PDF_NAME(Filter))) &&
        VDRW_FlateStreamCut(ctx, doc, pdf_to_num(ctx, form)))
        return 1;
    for (int i = 0; i < pdf_dict_len(ctx, forms); ++i)
        if (DrawsCutFlate(ctx, doc, pdf_dict_get_val(ctx, forms, i), depth + 1))
            return 1;
    return 0;
}

/* A soft mask whose group draws Flate data that stop short is drawn in the
 * twin as a grey over the group's box, a quarter or more away from what
 * the group cut to nothing lets through, and from a mask shut or open: an
 * ink the mask cannot change draws alike, one it can draws apart. A
 * transfer function may turn the mask round: left as it is. */
static void MendMask(fz_context* ctx, pdf_document* doc, pdf_obj* mask) {
    pdf_obj* group = pdf_dict_get(ctx, mask, PDF_NAME(G));
    pdf_obj* transfer = pdf_dict_get(ctx, mask, PDF_NAME(TR));
    fz_buffer* content = NULL;
    if (!pdf_is_dict(ctx, mask) || !pdf_is_indirect(ctx, group) || !pdf_is_stream(ctx, group) ||
        (transfer && !pdf_name_eq(ctx, transfer, PDF_NAME(Identity))))
        return;
    if (!DrawsCutFlate(ctx, doc, group, 0))
        return;
    const fz_rect box = pdf_to_rect(ctx, pdf_dict_get(ctx, group, PDF_NAME(BBox)));
    fz_var(content);
    fz_try(ctx) {
        content = fz_new_buffer(ctx, 64);
        fz_append_printf(ctx, content, "%g g %g %g %g %g re f", EmptyGroupLight(ctx, mask) < 0.5f ? 0.75f : 0.25f,
                         box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
        pdf_update_stream(ctx, doc, group, content, 0);
        /* What the group drew is drawn no more. */
        pdf_dict_put_dict(ctx, group, PDF_NAME(Resources), 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, content);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

/* Each mask once: an object of its own, or inside the graphics state
 * object that holds it. */
static void MendMasks(fz_context* ctx, pdf_document* doc, pdf_obj* obj) {
    pdf_obj* mask = pdf_dict_get(ctx, obj, PDF_NAME(SMask));
    if (pdf_dict_get(ctx, obj, PDF_NAME(G)))
        MendMask(ctx, doc, obj);
    else if (!pdf_is_indirect(ctx, mask))
        MendMask(ctx, doc, mask);
}

static void NoteCutFont(fz_context* ctx, Mending* m, int num, int composite) {
    if (m->m_count == m->m_capacity) {
        const int capacity = m->m_capacity ? m->m_capacity * 2 : 8;
        m->m_fonts = fz_realloc_array(ctx, m->m_fonts, capacity, CutFont);
        m->m_capacity = capacity;
    }
    CutFont* f = &m->m_fonts[m->m_count++];
    memset(f, 0, sizeof *f);
    f->m_num = num;
    f->m_composite = composite;
}

static void MendObject(fz_context* ctx, Mending* m, pdf_obj* obj) {
    MendMasks(ctx, m->m_twin, obj);
    VDRW_EachContentStream(ctx, m->m_twin, obj, MendStream);
    if (!pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Type)), PDF_NAME(Font)))
        return;
    if (Boxable(ctx, obj) && FontFileCut(ctx, m, pdf_dict_get(ctx, obj, PDF_NAME(FontDescriptor))))
        NoteCutFont(ctx, m, pdf_to_num(ctx, obj), 0);
    else if (VDRW_EncodingMapCut(ctx, obj))
        MendCompositeFont(ctx, m, obj); /* the codes lost show no glyph to look at */
    else if (IsComposite(ctx, obj) &&
             FontFileCut(ctx, m, pdf_dict_get(ctx, Descendant(ctx, obj), PDF_NAME(FontDescriptor))))
        NoteCutFont(ctx, m, pdf_to_num(ctx, obj), 1);
}

/* The source's font of f as its page drew it (MuPDF keeps it for the
 * document); one that fell back to another font failed whatever it shows. */
static void LoadSourceFont(fz_context* ctx, Mending* m, CutFont* f) {
    pdf_obj* ref = NULL;
    fz_var(ref);
    fz_try(ctx) {
        ref = pdf_new_indirect(ctx, m->m_source, f->m_num, 0);
        f->m_desc = pdf_load_font(ctx, m->m_source, NULL, ref);
        f->m_failed = !f->m_desc->is_embedded || !f->m_desc->font;
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, ref);
    }
    fz_catch(ctx) {
        f->m_desc = NULL;
        f->m_failed = 1;
    }
}

/* The page's text, each glyph of a cut font looked at once. */
typedef struct Shown {
    fz_device m_super;
    Mending* m_mending;
    const VDRW_MaskRuns* m_runs;
} Shown;

static int IsSpace(int ucs) {
    return ucs == ' ' || ucs == 0xa0 || (ucs >= 0x2000 && ucs <= 0x200b) || ucs == 0x202f || ucs == 0x205f ||
           ucs == 0x3000;
}

/* Drawn as nothing though it is no space: beyond the cut, or mapped to no
 * glyph at all. */
static int GlyphFailed(fz_context* ctx, fz_font* font, int gid) {
    fz_path* path = NULL;
    int failed = 1;
    fz_var(path);
    fz_var(failed);
    if (gid <= 0)
        return 1;
    fz_try(ctx) {
        path = fz_outline_glyph(ctx, font, gid, fz_identity);
        if (path) {
            const fz_rect b = fz_bound_path(ctx, path, NULL, fz_identity);
            failed = !(b.x1 > b.x0 || b.y1 > b.y0);
        }
    }
    fz_always(ctx) {
        fz_drop_path(ctx, path);
    }
    fz_catch(ctx) {
        failed = 1;
    }
    return failed;
}

static void SeeText(fz_context* ctx, fz_device* dev, const fz_text* text) {
    Mending* m = ((Shown*)dev)->m_mending;
    for (const fz_text_span* span = text->head; span; span = span->next) {
        CutFont* f = NULL;
        for (int i = 0; i < m->m_count && !f; ++i)
            if (m->m_fonts[i].m_desc && m->m_fonts[i].m_desc->font == span->font)
                f = &m->m_fonts[i];
        if (!f)
            continue;
        if (!f->m_seen)
            f->m_seen = fz_calloc(ctx, kGlyphs, 1);
        for (int i = 0; i < span->len; ++i) {
            const int gid = span->items[i].gid;
            if (gid < 0 || gid >= kGlyphs)
                continue;
            unsigned char* seen = &f->m_seen[gid];
            *seen |= 1;
            if (!(*seen & 2))
                *seen |= 2 | (GlyphFailed(ctx, span->font, gid) ? 4 : 0);
            if ((*seen & 4) && !IsSpace(span->items[i].ucs))
                f->m_failed = 1;
        }
    }
}

static void ShownFill(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                      const float* color, float alpha, fz_color_params params) {
    (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    SeeText(ctx, dev, text);
}

static void ShownStroke(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                        fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
    (void)stroke, (void)ctm, (void)cs, (void)color, (void)alpha, (void)params;
    SeeText(ctx, dev, text);
}

static void ShownClip(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect scissor) {
    (void)ctm, (void)scissor;
    SeeText(ctx, dev, text);
}

static void ShownClipStroke(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* stroke,
                            fz_matrix ctm, fz_rect scissor) {
    (void)stroke, (void)ctm, (void)scissor;
    SeeText(ctx, dev, text);
}

static void ShownImage(fz_context* ctx, fz_device* dev, fz_image* image, fz_matrix ctm, float alpha,
                       fz_color_params params) {
    const VDRW_MaskRuns* runs = ((Shown*)dev)->m_runs;
    const int run = VDRW_MaskRunIndex(runs, image);
    (void)ctm, (void)alpha, (void)params;
    if (run >= 0)
        fz_run_display_list(ctx, VDRW_MaskRunList(runs, run), dev, fz_identity, fz_infinite_rect, NULL);
}

static void SeeShownGlyphs(fz_context* ctx, Mending* m, fz_display_list* list, const VDRW_MaskRuns* runs) {
    Shown* dev = fz_new_derived_device(ctx, Shown);
    dev->m_mending = m;
    dev->m_runs = runs;
    dev->m_super.fill_text = ShownFill;
    dev->m_super.stroke_text = ShownStroke;
    dev->m_super.clip_text = ShownClip;
    dev->m_super.clip_stroke_text = ShownClipStroke;
    dev->m_super.fill_image = ShownImage;
    fz_try(ctx) {
        fz_run_display_list(ctx, list, &dev->m_super, fz_identity, fz_infinite_rect, NULL);
        fz_close_device(ctx, &dev->m_super);
    }
    fz_always(ctx) {
        fz_drop_device(ctx, &dev->m_super);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

/* A cut font file whose shown glyphs all drew is given to the twin as the
 * page read it, decoded: the twin draws the same glyphs and hears no loss
 * of it. Fonts that share the file decode it once. */
static void KeepAsRead(fz_context* ctx, Mending* m, pdf_obj* font) {
    static pdf_obj* const keys[] = {PDF_NAME(FontFile), PDF_NAME(FontFile2), PDF_NAME(FontFile3)};
    pdf_obj* descriptor = pdf_dict_get(ctx, font, PDF_NAME(FontDescriptor));
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
        pdf_obj* file = pdf_dict_get(ctx, descriptor, keys[i]);
        const int num = pdf_to_num(ctx, file);
        if (num <= 0 || num >= m->m_objects || m->m_fileCut[num] != 1)
            continue;
        fz_buffer* read = NULL;
        fz_var(read);
        fz_try(ctx) {
            read = pdf_load_stream(ctx, file);
            pdf_update_stream(ctx, m->m_twin, file, read, 0);
            m->m_fileCut[num] = 2;
        }
        fz_always(ctx) {
            fz_drop_buffer(ctx, read);
        }
        fz_catch(ctx) {
            /* Left cut: the twin hears the loss and cannot tell. */
        }
    }
}

/* Each cut font whose shown glyphs failed is mended; a font whose glyphs
 * cannot be looked at is mended as a loss said is better than one hidden. */
static void MendFonts(fz_context* ctx, Mending* m, fz_display_list* shown, const VDRW_MaskRuns* runs) {
    for (int i = 0; i < m->m_count; ++i)
        LoadSourceFont(ctx, m, &m->m_fonts[i]);
    fz_try(ctx) {
        SeeShownGlyphs(ctx, m, shown, runs);
    }
    fz_catch(ctx) {
        for (int i = 0; i < m->m_count; ++i)
            m->m_fonts[i].m_failed = 1;
    }
    for (int i = 0; i < m->m_count; ++i) {
        const CutFont* f = &m->m_fonts[i];
        pdf_obj* ref = NULL;
        fz_var(ref);
        fz_try(ctx) {
            ref = pdf_new_indirect(ctx, m->m_twin, f->m_num, 0);
            if (f->m_failed && f->m_composite)
                MendCompositeFont(ctx, m, ref);
            else if (f->m_failed)
                MendFont(ctx, m, f, ref);
            else
                KeepAsRead(ctx, m, f->m_composite ? Descendant(ctx, ref) : ref);
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, ref);
        }
        fz_catch(ctx) {
            /* Left as it is: the twin loses it as the source does. */
        }
    }
}

static void MendObjects(fz_context* ctx, Mending* m, int count) {
    int num;
    fz_var(num);
    for (num = 1; num < count; ++num) {
        pdf_obj* ref = NULL;
        fz_var(ref);
        fz_try(ctx) {
            ref = pdf_new_indirect(ctx, m->m_twin, num, 0);
            MendObject(ctx, m, ref);
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, ref);
        }
        fz_catch(ctx) {
            /* An object that cannot be read is left as the source has it. */
        }
    }
}

void VDRW_MendDocument(fz_context* ctx, pdf_document* twin, pdf_document* source, fz_display_list* shown,
                       const VDRW_MaskRuns* runs) {
    const int count = pdf_xref_len(ctx, twin);
    Mending m;
    memset(&m, 0, sizeof m);
    m.m_twin = twin;
    m.m_source = source;
    fz_try(ctx) {
        m.m_fileCut = fz_calloc(ctx, (size_t)count + 1, 1);
        m.m_objects = count;
        MendObjects(ctx, &m, count);
        if (m.m_count > 0)
            MendFonts(ctx, &m, shown, runs);
    }
    fz_always(ctx) {
        for (int i = 0; i < m.m_count; ++i) {
            pdf_drop_font(ctx, m.m_fonts[i].m_desc);
            fz_free(ctx, m.m_fonts[i].m_seen);
        }
        for (int i = 0; i < m.m_boxCount; ++i)
            pdf_drop_obj(ctx, m.m_boxes[i].m_glyph);
        fz_free(ctx, m.m_fonts);
        fz_free(ctx, m.m_boxes);
        fz_free(ctx, m.m_fileCut);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

/* At most this many pixels a drawing of the area the lists differ in. */
static const double kComparedPixels = 8.5e6;
/* Rows drawn at a time: the lists are told apart at the first band that
 * differs, and two bands are held, never two pages. */
enum { kBandRows = 256 };

/* As a band of the page is drawn: snapped, soft masks drawn once for the
 * marks that use them one after another, runs of masked marks in place. */
static void DrawInto(fz_context* ctx, fz_display_list* list, const VDRW_MaskRuns* runs, fz_matrix ctm,
                     fz_pixmap* band) {
    fz_device* device = NULL;
    fz_device* masks = NULL;
    fz_device* snap = NULL;
    const fz_irect box = fz_pixmap_bbox(ctx, band);
    fz_var(device);
    fz_var(masks);
    fz_var(snap);
    fz_clear_pixmap_with_value(ctx, band, 255);
    fz_try(ctx) {
        device = fz_new_draw_device(ctx, fz_identity, band);
        masks = VDRW_NewSoftMaskDevice(ctx, device, box);
        snap = VDRW_NewSnapDevice(ctx, masks, fz_rect_from_irect(box), NULL, NULL);
        VDRW_SetSoftMaskRuns(masks, runs, snap, ctm, NULL);
        fz_run_display_list(ctx, list, snap, ctm, fz_rect_from_irect(box), NULL);
        fz_close_device(ctx, snap);
        fz_close_device(ctx, masks);
        fz_close_device(ctx, device);
    }
    fz_always(ctx) {
        fz_drop_device(ctx, snap);
        fz_drop_device(ctx, masks);
        fz_drop_device(ctx, device);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

int VDRW_ListsDrawApart(fz_context* ctx, fz_display_list* a, const VDRW_MaskRuns* aRuns, fz_display_list* b,
                        const VDRW_MaskRuns* bRuns, fz_rect area, double pixelsPerPoint) {
    fz_pixmap* one = NULL;
    fz_pixmap* other = NULL;
    int apart = 0;
    fz_var(one);
    fz_var(other);
    fz_var(apart);
    fz_try(ctx) {
        /* Only where the lists differ can their drawings. */
        const fz_rect differ = fz_intersect_rect(area, VDRW_ListsDifferWithin(ctx, a, aRuns, b, bRuns));
        const double w = (double)differ.x1 - differ.x0, h = (double)differ.y1 - differ.y0;
        if (w > 0 && h > 0) {
            double scale = pixelsPerPoint > 0 ? pixelsPerPoint : 300.0 / 72;
            if (w * h * scale * scale > kComparedPixels)
                scale = sqrt(kComparedPixels / (w * h));
            /* Pixels of the page's own grid at that scale, so that the
             * area's edges fall as the plate's do. */
            const fz_matrix ctm = fz_concat(fz_translate(-area.x0, -area.y0), fz_scale((float)scale, (float)scale));
            const fz_irect page = fz_round_rect(fz_transform_rect(differ, ctm));
            for (int top = page.y0; top < page.y1 && !apart; top += kBandRows) {
                const fz_irect band = {page.x0, top, page.x1, top + kBandRows < page.y1 ? top + kBandRows : page.y1};
                fz_drop_pixmap(ctx, one);
                fz_drop_pixmap(ctx, other);
                one = other = NULL;
                one = fz_new_pixmap_with_bbox(ctx, fz_device_gray(ctx), band, NULL, 0);
                other = fz_new_pixmap_with_bbox(ctx, fz_device_gray(ctx), band, NULL, 0);
                DrawInto(ctx, a, aRuns, ctm, one);
                DrawInto(ctx, b, bRuns, ctm, other);
                apart = memcmp(fz_pixmap_samples(ctx, one), fz_pixmap_samples(ctx, other),
                               (size_t)fz_pixmap_stride(ctx, one) * (size_t)fz_pixmap_height(ctx, one)) != 0;
            }
        }
    }
    fz_always(ctx) {
        fz_drop_pixmap(ctx, one);
        fz_drop_pixmap(ctx, other);
    }
    fz_catch(ctx) {
        apart = 1;
    }
    return apart;
}
