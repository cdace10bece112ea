/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_LossChecks.h"

#include <string.h>

#include "VDRW_FlateEnd.h"
#include "VDRW_UnreadableTokens.h"

/* Whether map reaches its endcmap; what was read before a fault is all
 * the page had. */
static int MapReachesEnd(fz_context* ctx, pdf_obj* map) {
    fz_stream* stm = NULL;
    pdf_lexbuf buf;
    int ends = 0;
    pdf_lexbuf_init(ctx, &buf, PDF_LEXBUF_SMALL);
    fz_var(stm);
    fz_var(ends);
    fz_try(ctx) {
        stm = pdf_open_stream(ctx, map);
        for (pdf_token token = pdf_lex(ctx, stm, &buf); token != PDF_TOK_EOF && !ends;
             token = pdf_lex(ctx, stm, &buf))
            ends = token == PDF_TOK_KEYWORD && strcmp(buf.scratch, "endcmap") == 0;
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stm);
        pdf_lexbuf_fin(ctx, &buf);
    }
    fz_catch(ctx) {
        ends = 0;
    }
    return ends;
}

static int EncodesWithOwnMap(fz_context* ctx, pdf_obj* font) {
    return pdf_name_eq(ctx, pdf_dict_get(ctx, font, PDF_NAME(Subtype)), PDF_NAME(Type0)) &&
           pdf_is_stream(ctx, pdf_dict_get(ctx, font, PDF_NAME(Encoding)));
}

int VDRW_EncodingMapCut(fz_context* ctx, pdf_obj* font) {
    return EncodesWithOwnMap(ctx, font) && !MapReachesEnd(ctx, pdf_dict_get(ctx, font, PDF_NAME(Encoding)));
}

/* Whether test holds of some object of doc: 1 at the first it holds of;
 * an object that cannot be read counts as unreadable says. */
static int SomeObject(fz_context* ctx, pdf_document* doc, int (*test)(fz_context*, pdf_document*, pdf_obj*),
                      int unreadable) {
    const int count = pdf_xref_len(ctx, doc);
    int holds = 0;
    fz_var(holds);
    for (int num = 1; num < count && !holds; ++num) {
        pdf_obj* ref = NULL;
        fz_var(ref);
        fz_try(ctx) {
            ref = pdf_new_indirect(ctx, doc, num, 0);
            holds = test(ctx, doc, ref);
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, ref);
        }
        fz_catch(ctx) {
            holds = unreadable;
        }
    }
    return holds;
}

static int IsFontWithOwnMap(fz_context* ctx, pdf_document* doc, pdf_obj* obj) {
    (void)doc;
    return EncodesWithOwnMap(ctx, obj);
}

int VDRW_SomeEncodingMapOfItsOwn(fz_context* ctx, pdf_document* doc) {
    return SomeObject(ctx, doc, IsFontWithOwnMap, 1);
}

int VDRW_IsFlate(fz_context* ctx, pdf_obj* filter) {
    if (pdf_is_array(ctx, filter))
        filter = pdf_array_get(ctx, filter, 0);
    return pdf_name_eq(ctx, filter, PDF_NAME(FlateDecode)) || pdf_name_eq(ctx, filter, PDF_NAME(Fl));
}

/* Whether object num is a Flate stream whose raw data judge finds wanting;
 * a stream that cannot be read is wanting. */
static int FlateStreamFails(fz_context* ctx, pdf_document* doc, int num,
                            int (*judge)(const unsigned char* data, size_t size)) {
    fz_buffer* raw = NULL;
    int fails = 1;
    fz_var(raw);
    fz_var(fails);
    fz_try(ctx) {
        pdf_obj* ref = pdf_new_indirect(ctx, doc, num, 0);
        const int flate = pdf_is_stream(ctx, ref) && VDRW_IsFlate(ctx, pdf_dict_get(ctx, ref, PDF_NAME(Filter)));
        pdf_drop_obj(ctx, ref);
        fails = 0;
        if (flate) {
            unsigned char* data = NULL;
            size_t size;
            raw = pdf_load_raw_stream_number(ctx, doc, num);
            size = fz_buffer_storage(ctx, raw, &data);
            fails = !judge(data, size);
        }
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, raw);
    }
    fz_catch(ctx) {
        fails = 1;
    }
    return fails;
}

int VDRW_FlateStreamCut(fz_context* ctx, pdf_document* doc, int num) {
    return FlateStreamFails(ctx, doc, num, VDRW_FlateReachesLastBlock);
}

int VDRW_FlateStreamCheckFails(fz_context* ctx, pdf_document* doc, int num) {
    return FlateStreamFails(ctx, doc, num, VDRW_FlateChecksOut);
}

/* Marks in maps the number of the ToUnicode map a font object names. */
static void MarkUnicodeMap(fz_context* ctx, pdf_document* doc, int num, unsigned char* maps, int count) {
    pdf_obj* ref = NULL;
    fz_var(ref);
    fz_try(ctx) {
        ref = pdf_new_indirect(ctx, doc, num, 0);
        pdf_obj* map = pdf_dict_get(ctx, ref, PDF_NAME(ToUnicode));
        const int mapNum = pdf_is_indirect(ctx, map) ? pdf_to_num(ctx, map) : 0;
        if (mapNum > 0 && mapNum < count && pdf_name_eq(ctx, pdf_dict_get(ctx, ref, PDF_NAME(Type)), PDF_NAME(Font)))
            maps[mapNum] = 1;
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, ref);
    }
    fz_catch(ctx) {
        /* An object that cannot be read names no map. */
    }
}

int VDRW_SomeFlateStreamCut(fz_context* ctx, pdf_document* doc) {
    const int count = pdf_xref_len(ctx, doc);
    /* A font's ToUnicode map is read for text, never drawn: a cut one
     * costs no plate anything. */
    unsigned char* maps = fz_calloc(ctx, count > 0 ? count : 1, 1);
    int cut = 0;
    for (int num = 1; num < count; ++num)
        MarkUnicodeMap(ctx, doc, num, maps, count);
    for (int num = 1; num < count && !cut; ++num)
        cut = !maps[num] && VDRW_FlateStreamCut(ctx, doc, num);
    fz_free(ctx, maps);
    return cut;
}

/* Stops at the first stretch the interpreter cannot read that costs it
 * something. */
static int FirstDrop(void* user, int64_t from, int64_t to, int drops) {
    (void)user;
    (void)from;
    (void)to;
    return drops;
}

static int StreamDropsOperands(fz_context* ctx, pdf_document* doc, pdf_obj* stream) {
    fz_stream* stm = NULL;
    pdf_lexbuf buf;
    int drops = 1;
    if (!pdf_is_stream(ctx, stream))
        return 0;
    pdf_lexbuf_init(ctx, &buf, PDF_LEXBUF_SMALL);
    fz_var(stm);
    fz_var(drops);
    fz_try(ctx) {
        stm = pdf_open_stream(ctx, stream);
        drops = VDRW_WalkUnreadable(ctx, stm, &buf, FirstDrop, NULL);
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stm);
        pdf_lexbuf_fin(ctx, &buf);
    }
    fz_catch(ctx) {
        drops = 1;
    }
    (void)doc;
    return drops;
}

int VDRW_EachContentStream(fz_context* ctx, pdf_document* doc, pdf_obj* obj, VDRW_ContentVisit visit) {
    pdf_obj* contents = pdf_dict_get(ctx, obj, PDF_NAME(Contents));
    pdf_obj* procs = pdf_dict_get(ctx, obj, PDF_NAME(CharProcs));
    if (pdf_is_stream(ctx, obj) && (pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Subtype)), PDF_NAME(Form)) ||
                                    pdf_to_int(ctx, pdf_dict_get(ctx, obj, PDF_NAME(PatternType))) == 1))
        return visit(ctx, doc, obj);
    if (pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Type)), PDF_NAME(Page))) {
        if (!pdf_is_array(ctx, contents))
            return visit(ctx, doc, contents);
        for (int i = 0; i < pdf_array_len(ctx, contents); ++i)
            if (visit(ctx, doc, pdf_array_get(ctx, contents, i)))
                return 1;
    }
    for (int i = 0; i < pdf_dict_len(ctx, procs); ++i)
        if (visit(ctx, doc, pdf_dict_get_val(ctx, procs, i)))
            return 1;
    return 0;
}

static int HoldsDroppingToken(fz_context* ctx, pdf_document* doc, pdf_obj* obj) {
    return VDRW_EachContentStream(ctx, doc, obj, StreamDropsOperands);
}

/* An object that cannot be read may hold one. */
int VDRW_SomeBadTokenDropsOperands(fz_context* ctx, pdf_document* doc) {
    return SomeObject(ctx, doc, HoldsDroppingToken, 1);
}
