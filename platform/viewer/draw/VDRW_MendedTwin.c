#include "VDRW_MendedTwin.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "VDRW_ListDiff.h"
#include "VDRW_LossChecks.h"
#include "VDRW_SnapDevice.h"
#include "VDRW_SoftMaskDevice.h"

static void Blank(unsigned char* bytes, int64_t from, int64_t to, int* changed) {
    if (to > from) {
        memset(bytes + from, ' ', (size_t)(to - from));
        *changed = 1;
    }
}

/* What MuPDF's interpreter can read of a content stream: outside a text
 * array a bad token alone; inside one (an array begun between BT and ET)
 * numbers, strings and keywords, and nothing else. A dictionary or array
 * inside a text array goes whole. Blanks keep every offset. */
static int BlankUnreadable(fz_context* ctx, fz_stream* stm, pdf_lexbuf* buf, unsigned char* bytes) {
    int changed = 0, depth = 0, inText = 0, textArray = 0, skip = 0;
    int64_t skipFrom = 0;
    for (;;) {
        const int64_t start = fz_tell(ctx, stm);
        const pdf_token token = pdf_lex(ctx, stm, buf);
        const int64_t end = fz_tell(ctx, stm);
        if (token == PDF_TOK_EOF)
            break;
        if (skip > 0) {
            if (token == PDF_TOK_OPEN_ARRAY || token == PDF_TOK_OPEN_DICT)
                ++skip;
            else if ((token == PDF_TOK_CLOSE_ARRAY || token == PDF_TOK_CLOSE_DICT) && --skip == 0)
                Blank(bytes, skipFrom, end, &changed);
            continue;
        }
        if (textArray) {
            switch (token) {
            case PDF_TOK_INT:
            case PDF_TOK_REAL:
            case PDF_TOK_STRING:
            case PDF_TOK_KEYWORD:
                break;
            case PDF_TOK_CLOSE_ARRAY:
                textArray = 0;
                depth = 0;
                break;
            case PDF_TOK_OPEN_ARRAY:
            case PDF_TOK_OPEN_DICT:
                skip = 1;
                skipFrom = start;
                break;
            default:
                Blank(bytes, start, end, &changed);
                break;
            }
            continue;
        }
        switch (token) {
        case PDF_TOK_ERROR:
            Blank(bytes, start, end, &changed);
            break;
        case PDF_TOK_OPEN_ARRAY:
            textArray = depth == 0 && inText;
            ++depth;
            break;
        case PDF_TOK_OPEN_DICT:
            ++depth;
            break;
        case PDF_TOK_CLOSE_ARRAY:
        case PDF_TOK_CLOSE_DICT:
            if (depth > 0)
                --depth;
            break;
        case PDF_TOK_KEYWORD:
            if (depth > 0)
                break;
            if (strcmp(buf->scratch, "BT") == 0)
                inText = 1;
            else if (strcmp(buf->scratch, "ET") == 0)
                inText = 0;
            else if (strcmp(buf->scratch, "ID") == 0)
                VDRW_SkipInlineImageData(ctx, stm);
            break;
        default:
            break;
        }
    }
    return changed;
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

static int FontFileCut(fz_context* ctx, pdf_document* doc, pdf_obj* descriptor) {
    static pdf_obj* const keys[] = {PDF_NAME(FontFile), PDF_NAME(FontFile2), PDF_NAME(FontFile3)};
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
        pdf_obj* file = pdf_dict_get(ctx, descriptor, keys[i]);
        if (pdf_is_indirect(ctx, file) && VDRW_FlateStreamCut(ctx, doc, pdf_to_num(ctx, file)))
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

static void MendObject(fz_context* ctx, pdf_document* doc, pdf_obj* obj) {
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
