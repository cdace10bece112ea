/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_FontMapCheck.h"

#include <string.h>

/* Deeper than any page's resources or chain of maps: not told. */
enum { kMaxDepth = 256 };

/* The end word of block word begin; null for a word that opens none. */
static const char* EndOf(const char* word) {
    static const char* const kBlocks[][2] = {
        {"begincodespacerange", "endcodespacerange"}, {"begincidchar", "endcidchar"},
        {"begincidrange", "endcidrange"},             {"beginbfchar", "endbfchar"},
        {"beginbfrange", "endbfrange"},               {"beginnotdefchar", "endnotdefchar"},
        {"beginnotdefrange", "endnotdefrange"}};
    for (size_t i = 0; i < sizeof kBlocks / sizeof kBlocks[0]; ++i)
        if (strcmp(word, kBlocks[i][0]) == 0)
            return kBlocks[i][1];
    return NULL;
}

/* Whether map stream map ends inside a block, or a map it uses does. */
static int MapCut(fz_context* ctx, pdf_obj* map, int depth) {
    fz_stream* stm = NULL;
    pdf_lexbuf buf;
    int cut = 1;
    fz_var(stm);
    fz_var(cut);
    if (depth > kMaxDepth)
        return 1;
    pdf_lexbuf_init(ctx, &buf, PDF_LEXBUF_SMALL);
    fz_try(ctx) {
        const char* open = NULL;
        pdf_token token;
        stm = pdf_open_stream(ctx, map);
        while ((token = pdf_lex(ctx, stm, &buf)) != PDF_TOK_EOF && token != PDF_TOK_ERROR) {
            if (token != PDF_TOK_KEYWORD)
                continue;
            if (open && strcmp(buf.scratch, open) == 0)
                open = NULL;
            else if (!open)
                open = EndOf(buf.scratch);
        }
        cut = token == PDF_TOK_ERROR || open != NULL;
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stm);
        pdf_lexbuf_fin(ctx, &buf);
    }
    fz_catch(ctx) {
        cut = 1;
    }
    if (!cut) {
        pdf_obj* used = pdf_dict_get(ctx, map, PDF_NAME(UseCMap));
        cut = pdf_is_stream(ctx, used) && MapCut(ctx, used, depth + 1);
    }
    return cut;
}

/* Keys that lead to what the drawing of a page never reads. */
static int NotDrawn(fz_context* ctx, pdf_obj* key) {
    static const char* const kKeys[] = {"Parent", "P", "Annots", "ToUnicode", "Metadata", "Thumb", "B", "AA"};
    const char* name = pdf_to_name(ctx, key);
    for (size_t i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i)
        if (strcmp(name, kKeys[i]) == 0)
            return 1;
    return 0;
}

/* Whether obj, or what it reaches, is a composite font whose own map is
 * cut; seen marks the object numbers reached. */
static int ReachesCutMap(fz_context* ctx, unsigned char* seen, int count, pdf_obj* obj, int depth) {
    if (depth > kMaxDepth)
        return 1;
    if (pdf_is_indirect(ctx, obj)) {
        const int num = pdf_to_num(ctx, obj);
        if (num <= 0 || num >= count || seen[num])
            return 0;
        seen[num] = 1;
    }
    if (pdf_is_array(ctx, obj)) {
        for (int i = 0; i < pdf_array_len(ctx, obj); ++i)
            if (ReachesCutMap(ctx, seen, count, pdf_array_get(ctx, obj, i), depth + 1))
                return 1;
        return 0;
    }
    if (!pdf_is_dict(ctx, obj))
        return 0;
    if (pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Subtype)), PDF_NAME(Type0))) {
        pdf_obj* map = pdf_dict_get(ctx, obj, PDF_NAME(Encoding));
        if (pdf_is_stream(ctx, map) && MapCut(ctx, map, 0))
            return 1;
    }
    for (int i = 0; i < pdf_dict_len(ctx, obj); ++i)
        if (!NotDrawn(ctx, pdf_dict_get_key(ctx, obj, i)) &&
            ReachesCutMap(ctx, seen, count, pdf_dict_get_val(ctx, obj, i), depth + 1))
            return 1;
    return 0;
}

int VDRW_PageFontMapCut(fz_context* ctx, pdf_document* doc, pdf_obj* page) {
    const int count = pdf_xref_len(ctx, doc);
    unsigned char* seen = fz_calloc(ctx, count > 0 ? count : 1, 1);
    int cut = 1;
    fz_var(cut);
    fz_try(ctx) {
        /* Resources a page inherits come through its Parent. */
        cut = ReachesCutMap(ctx, seen, count, page, 0) ||
              ReachesCutMap(ctx, seen, count, pdf_dict_get_inheritable(ctx, page, PDF_NAME(Resources)), 0);
    }
    fz_always(ctx) {
        fz_free(ctx, seen);
    }
    fz_catch(ctx) {
        cut = 1;
    }
    return cut;
}
