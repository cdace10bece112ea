/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_FontMapCheck.h"
#include "VDRW_PageWalk.h"

#include <string.h>

/* Deeper than any chain of maps: not told. */
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

/* Whether obj is a composite font whose own map is cut. */
static int FontMapCut(fz_context* ctx, pdf_document* doc, pdf_obj* ref, pdf_obj* obj, int num, int content,
                      void* user) {
    (void)doc, (void)ref, (void)num, (void)content, (void)user;
    if (!pdf_is_dict(ctx, obj) || !pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Subtype)), PDF_NAME(Type0)))
        return 0;
    pdf_obj* map = pdf_dict_get(ctx, obj, PDF_NAME(Encoding));
    return pdf_is_stream(ctx, map) && MapCut(ctx, map, 0);
}

int VDRW_PageFontMapCut(fz_context* ctx, pdf_document* doc, pdf_obj* page) {
    return VDRW_PageReaches(ctx, doc, page, FontMapCut, NULL);
}
