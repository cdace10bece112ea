#include "VDRW_MendedTwin.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "VDRW_FlateEnd.h"
#include "VDRW_LossChecks.h"
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

fz_buffer* VDRW_MendedContent(fz_context* ctx, fz_buffer* content) {
    fz_buffer* mended = NULL;
    fz_stream* stm = NULL;
    pdf_lexbuf buf;
    int changed = 0;
    unsigned char* data = NULL;
    const size_t size = fz_buffer_storage(ctx, content, &data);
    pdf_lexbuf_init(ctx, &buf, PDF_LEXBUF_SMALL);
    fz_var(mended);
    fz_var(stm);
    fz_var(changed);
    fz_try(ctx) {
        mended = fz_new_buffer_from_copied_data(ctx, data, size);
        stm = fz_open_buffer(ctx, content);
        changed = BlankUnreadable(ctx, stm, &buf, mended->data);
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stm);
        pdf_lexbuf_fin(ctx, &buf);
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
 * twin loses what the source lost. Returns 0, to be given every stream. */
static int MendStream(fz_context* ctx, pdf_document* doc, pdf_obj* stream) {
    fz_buffer* content = NULL;
    fz_buffer* mended = NULL;
    pdf_obj* filter = pdf_dict_get(ctx, stream, PDF_NAME(Filter));
    if (!pdf_is_stream(ctx, stream) || !pdf_is_indirect(ctx, stream))
        return 0;
    if (filter && !(VDRW_IsFlate(ctx, filter) && pdf_array_len(ctx, filter) <= 1))
        return 0;
    if (filter && VDRW_FlateStreamCut(ctx, doc, pdf_to_num(ctx, stream)))
        return 0;
    fz_var(content);
    fz_var(mended);
    fz_try(ctx) {
        content = pdf_load_stream(ctx, stream);
        mended = VDRW_MendedContent(ctx, content);
        if (mended)
            pdf_update_stream(ctx, doc, stream, mended, 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, mended);
        fz_drop_buffer(ctx, content);
    }
    fz_catch(ctx) {
        /* Left as it is: the twin loses it as the source does. */
    }
    return 0;
}

/* A box a glyph of width w (in thousandths of the text size) takes,
 * between the font's lowest and highest reach. */
static pdf_obj* BoxGlyph(fz_context* ctx, pdf_document* doc, float w, fz_rect bbox) {
    fz_buffer* content = fz_new_buffer(ctx, 64);
    pdf_obj* glyph = NULL;
    fz_try(ctx) {
        fz_append_printf(ctx, content, "%g 0 0 %g %g %g d1 0 %g %g %g re f", w, bbox.y0, w, bbox.y1, bbox.y0, w,
                         bbox.y1 - bbox.y0);
        glyph = pdf_add_stream(ctx, doc, content, NULL, 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, content);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return glyph;
}

/* Whether a font file's Flate data fail their check: whole, but their
 * glyphs may be garbled, which the check alone finds. */
static int FontFileCheckFails(fz_context* ctx, pdf_document* doc, pdf_obj* file) {
    fz_buffer* raw = NULL;
    int fails = 0;
    unsigned char* data = NULL;
    if (!VDRW_IsFlate(ctx, pdf_dict_get(ctx, file, PDF_NAME(Filter))))
        return 0;
    fz_var(raw);
    fz_var(fails);
    fz_try(ctx) {
        raw = pdf_load_raw_stream_number(ctx, doc, pdf_to_num(ctx, file));
        const size_t size = fz_buffer_storage(ctx, raw, &data);
        fails = !VDRW_FlateChecksOut(data, size);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, raw);
    }
    fz_catch(ctx) {
        fails = 1;
    }
    return fails;
}

static int FontFileCut(fz_context* ctx, pdf_document* doc, pdf_obj* descriptor) {
    static pdf_obj* const keys[] = {PDF_NAME(FontFile), PDF_NAME(FontFile2), PDF_NAME(FontFile3)};
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
        pdf_obj* file = pdf_dict_get(ctx, descriptor, keys[i]);
        if (pdf_is_indirect(ctx, file) && pdf_is_stream(ctx, file) &&
            (VDRW_FlateStreamCut(ctx, doc, pdf_to_num(ctx, file)) || FontFileCheckFails(ctx, doc, file)))
            return 1;
    }
    return 0;
}

/* A simple font whose file's Flate data stop short becomes a Type 3 font
 * of the same widths whose every glyph is a box as wide as its advance and
 * as tall as the font: what its text would have covered, which no
 * substitute draws as MuPDF draws the damaged font. A composite font is
 * left as it is. */
static void MendFont(fz_context* ctx, pdf_document* doc, pdf_obj* font) {
    pdf_obj* subtype = pdf_dict_get(ctx, font, PDF_NAME(Subtype));
    pdf_obj* widths = pdf_dict_get(ctx, font, PDF_NAME(Widths));
    const int first = pdf_dict_get_int(ctx, font, PDF_NAME(FirstChar));
    const int count = pdf_array_len(ctx, widths);
    if (!pdf_name_eq(ctx, subtype, PDF_NAME(Type1)) && !pdf_name_eq(ctx, subtype, PDF_NAME(TrueType)) &&
        !pdf_name_eq(ctx, subtype, PDF_NAME(MMType1)))
        return;
    pdf_obj* descriptor = pdf_dict_get(ctx, font, PDF_NAME(FontDescriptor));
    if (count <= 0 || first < 0 || first + count > 256 || !FontFileCut(ctx, doc, descriptor))
        return;
    fz_rect bbox = pdf_to_rect(ctx, pdf_dict_get(ctx, descriptor, PDF_NAME(FontBBox)));
    if (!(bbox.y1 > bbox.y0))
        bbox = fz_make_rect(0, -250, 1000, 1000);
    pdf_obj* procs = pdf_dict_put_dict(ctx, font, PDF_NAME(CharProcs), count);
    pdf_obj* encoding = pdf_dict_put_dict(ctx, font, PDF_NAME(Encoding), 1);
    pdf_obj* differences = pdf_dict_put_array(ctx, encoding, PDF_NAME(Differences), count + 1);
    pdf_array_push_int(ctx, differences, first);
    for (int i = 0; i < count; ++i) {
        char name[16];
        snprintf(name, sizeof name, "g%d", first + i);
        pdf_array_push_name(ctx, differences, name);
        pdf_dict_puts_drop(ctx, procs, name, BoxGlyph(ctx, doc, pdf_array_get_real(ctx, widths, i), bbox));
    }
    pdf_dict_put(ctx, font, PDF_NAME(Subtype), PDF_NAME(Type3));
    pdf_dict_put_rect(ctx, font, PDF_NAME(FontBBox), bbox);
    pdf_dict_put_matrix(ctx, font, PDF_NAME(FontMatrix), fz_scale(0.001f, 0.001f));
    pdf_dict_put_dict(ctx, font, PDF_NAME(Resources), 0);
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

static void MendObject(fz_context* ctx, pdf_document* doc, pdf_obj* obj) {
    MendMasks(ctx, doc, obj);
    VDRW_EachContentStream(ctx, doc, obj, MendStream);
    if (pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Type)), PDF_NAME(Font)))
        MendFont(ctx, doc, obj);
}

void VDRW_MendDocument(fz_context* ctx, pdf_document* twin) {
    const int count = pdf_xref_len(ctx, twin);
    for (int num = 1; num < count; ++num) {
        pdf_obj* ref = NULL;
        fz_var(ref);
        fz_try(ctx) {
            ref = pdf_new_indirect(ctx, twin, num, 0);
            MendObject(ctx, twin, ref);
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, ref);
        }
        fz_catch(ctx) {
            /* An object that cannot be read is left as the source has it. */
        }
    }
}

/* At most this many pixels a drawing: a letter page at 300 dpi. */
static const double kComparedPixels = 8.5e6;
/* Rows drawn at a time: the lists are told apart at the first band that
 * differs, and two bands are held, never two pages. */
enum { kBandRows = 256 };

static void DrawInto(fz_context* ctx, fz_display_list* list, fz_matrix ctm, fz_pixmap* band) {
    fz_device* device = NULL;
    fz_var(device);
    fz_clear_pixmap_with_value(ctx, band, 255);
    fz_try(ctx) {
        device = fz_new_draw_device(ctx, fz_identity, band);
        fz_run_display_list(ctx, list, device, ctm, fz_rect_from_irect(fz_pixmap_bbox(ctx, band)), NULL);
        fz_close_device(ctx, device);
    }
    fz_always(ctx) {
        fz_drop_device(ctx, device);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

int VDRW_ListsDrawApart(fz_context* ctx, fz_display_list* a, fz_display_list* b, fz_rect area) {
    const double w = (double)area.x1 - area.x0, h = (double)area.y1 - area.y0;
    fz_pixmap* one = NULL;
    fz_pixmap* other = NULL;
    int apart = 0;
    if (!(w > 0 && h > 0))
        return 0;
    double scale = 300.0 / 72;
    if (w * h * scale * scale > kComparedPixels)
        scale = sqrt(kComparedPixels / (w * h));
    const fz_matrix ctm = fz_concat(fz_translate(-area.x0, -area.y0), fz_scale((float)scale, (float)scale));
    const fz_irect page = fz_round_rect(fz_transform_rect(area, ctm));
    fz_var(one);
    fz_var(other);
    fz_var(apart);
    fz_try(ctx) {
        for (int top = page.y0; top < page.y1 && !apart; top += kBandRows) {
            const fz_irect band = {page.x0, top, page.x1, top + kBandRows < page.y1 ? top + kBandRows : page.y1};
            fz_drop_pixmap(ctx, one);
            fz_drop_pixmap(ctx, other);
            one = other = NULL;
            one = fz_new_pixmap_with_bbox(ctx, fz_device_gray(ctx), band, NULL, 0);
            other = fz_new_pixmap_with_bbox(ctx, fz_device_gray(ctx), band, NULL, 0);
            DrawInto(ctx, a, ctm, one);
            DrawInto(ctx, b, ctm, other);
            apart = memcmp(fz_pixmap_samples(ctx, one), fz_pixmap_samples(ctx, other),
                           (size_t)fz_pixmap_stride(ctx, one) * (size_t)fz_pixmap_height(ctx, one)) != 0;
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
