/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_LossChecks.h"

#include <string.h>

#include "VDRW_FlateEnd.h"
#include "VDRW_PageWalk.h"

static int IsFlate(fz_context* ctx, pdf_obj* name) {
    return pdf_name_eq(ctx, name, PDF_NAME(FlateDecode)) || pdf_name_eq(ctx, name, PDF_NAME(Fl));
}

static pdf_obj* Stage(fz_context* ctx, pdf_obj* list, int i) {
    return pdf_is_array(ctx, list) ? pdf_array_get(ctx, list, i) : i == 0 ? list : NULL;
}

/* Decodes stage filter (of parameters params) over chain; null for a
 * filter whose output here cannot be told. */
static fz_stream* OpenStage(fz_context* ctx, fz_stream* chain, pdf_obj* filter, pdf_obj* params) {
    const int predicted = pdf_dict_get_int(ctx, params, PDF_NAME(Predictor)) > 1;
    if (pdf_name_eq(ctx, filter, PDF_NAME(ASCIIHexDecode)) || pdf_name_eq(ctx, filter, PDF_NAME(AHx)))
        return fz_open_ahxd(ctx, chain);
    if (pdf_name_eq(ctx, filter, PDF_NAME(ASCII85Decode)) || pdf_name_eq(ctx, filter, PDF_NAME(A85)))
        return fz_open_a85d(ctx, chain);
    if (pdf_name_eq(ctx, filter, PDF_NAME(RunLengthDecode)) || pdf_name_eq(ctx, filter, PDF_NAME(RL)))
        return fz_open_rld(ctx, chain);
    if (IsFlate(ctx, filter) && !predicted)
        return fz_open_flated(ctx, chain, 15);
    if ((pdf_name_eq(ctx, filter, PDF_NAME(LZWDecode)) || pdf_name_eq(ctx, filter, PDF_NAME(LZW))) && !predicted) {
        pdf_obj* early = pdf_dict_get(ctx, params, PDF_NAME(EarlyChange));
        return fz_open_lzwd(ctx, chain, early ? pdf_to_int(ctx, early) : 1, 9, 0, 0);
    }
    return NULL;
}

/* Feeds judge what stm holds: its verdict, 0 for data that stop short. */
static int Judged(fz_context* ctx, fz_stream* stm, VDRW_FlateJudge* judge) {
    int verdict = -1;
    while (verdict < 0) {
        const size_t size = fz_available(ctx, stm, 65536);
        verdict = VDRW_FeedFlateJudge(judge, stm->rp, size, size == 0);
        stm->rp += size;
    }
    return verdict;
}

/* Whether Flate stage stage of filters, decoded over stm (whose reference
 * it drops), stops before its last block's end or, with readsCheck, has a
 * wrong check; 1 where that cannot be told. */
static int StageFault(fz_context* ctx, fz_stream* stm, pdf_obj* filters, pdf_obj* params, int stage, int readsCheck) {
    VDRW_FlateJudge* judge = NULL;
    int fault = 1;
    fz_var(stm);
    fz_var(judge);
    fz_var(fault);
    fz_try(ctx) {
        int told = 1;
        for (int i = 0; i < stage && told; ++i) {
            fz_stream* next = OpenStage(ctx, stm, Stage(ctx, filters, i), Stage(ctx, params, i));
            told = next != NULL;
            if (next) {
                fz_drop_stream(ctx, stm);
                stm = next;
            }
        }
        judge = !told ? NULL : readsCheck ? VDRW_NewFlateCheckJudge() : VDRW_NewFlateJudge();
        if (judge) {
            const int whole = Judged(ctx, stm, judge) == 1;
            fault = readsCheck ? VDRW_FlateCheckWrong(judge) : !whole;
        }
    }
    fz_always(ctx) {
        VDRW_DropFlateJudge(judge);
        fz_drop_stream(ctx, stm);
    }
    fz_catch(ctx) {
        fault = 1;
    }
    return fault;
}

static int StageCount(fz_context* ctx, pdf_obj* filters) {
    return pdf_is_array(ctx, filters) ? pdf_array_len(ctx, filters) : filters ? 1 : 0;
}

/* Whether the inline image whose dictionary follows "BI" in stm faults as
 * StageFault tells, its data read from stm: a Flate stage after its first
 * cannot be told, its data being read once. A dictionary that cannot be
 * read is no image: the drawing drew none there. */
static int InlineImageFault(fz_context* ctx, pdf_document* doc, fz_stream* stm, int readsCheck) {
    pdf_lexbuf lexbuf;
    pdf_obj* dict = NULL;
    int first = -1, more = 0;
    fz_var(dict);
    fz_var(first);
    fz_var(more);
    pdf_lexbuf_init(ctx, &lexbuf, PDF_LEXBUF_SMALL);
    fz_try(ctx) {
        pdf_obj* filters;
        /* Ends at "ID", as the drawing reads it, and one white space after. */
        dict = pdf_parse_dict(ctx, doc, stm, &lexbuf);
        if (fz_read_byte(ctx, stm) == '\r' && fz_peek_byte(ctx, stm) == '\n')
            fz_read_byte(ctx, stm);
        filters = pdf_dict_geta(ctx, dict, PDF_NAME(Filter), PDF_NAME(F));
        for (int i = 0; i < StageCount(ctx, filters); ++i)
            if (IsFlate(ctx, Stage(ctx, filters, i))) {
                more = more || first >= 0;
                first = first < 0 ? i : first;
            }
    }
    fz_always(ctx) {
        pdf_lexbuf_fin(ctx, &lexbuf);
    }
    fz_catch(ctx) {
        first = -1;
    }
    const int fault =
        more ? 1
        : first < 0
            ? 0
            : StageFault(ctx, fz_keep_stream(ctx, stm), pdf_dict_geta(ctx, dict, PDF_NAME(Filter), PDF_NAME(F)),
                         pdf_dict_geta(ctx, dict, PDF_NAME(DecodeParms), PDF_NAME(DP)), first, readsCheck);
    pdf_drop_obj(ctx, dict);
    return fault;
}

/* Whether content stream holds an inline image whose Flate data fault as
 * StageFault tells. Its data are read with the content, never as an
 * object: each "BI" between delimiters is taken to begin one. */
static int InlineImagesFault(fz_context* ctx, pdf_document* doc, pdf_obj* stream, int readsCheck) {
    fz_stream* stm = NULL;
    int fault = 1;
    fz_var(stm);
    fz_var(fault);
    fz_try(ctx) {
        int last[2] = {' ', ' '};
        fault = 0;
        stm = pdf_open_stream(ctx, stream);
        for (int c = fz_read_byte(ctx, stm); c != EOF && !fault; c = fz_read_byte(ctx, stm)) {
            if (last[1] == 'B' && c == 'I' && strchr(" \t\r\n\f[]<>()/%{}", last[0]) &&
                strchr(" \t\r\n\f/<[", fz_peek_byte(ctx, stm))) {
                fault = InlineImageFault(ctx, doc, stm, readsCheck);
                c = ' ';
            }
            last[0] = last[1];
            last[1] = c;
        }
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stm);
    }
    fz_catch(ctx) {
        fault = 1;
    }
    return fault;
}

/* Whether stream ref (object num), content to draw when content is set,
 * has a Flate stage that faults as StageFault tells; readsCheck (the
 * user): the fault looked for is a wrong check, else data cut. */
static int StreamCut(fz_context* ctx, pdf_document* doc, pdf_obj* ref, pdf_obj* obj, int num, int content,
                     void* readsCheck) {
    (void)obj;
    if (num == 0 || !pdf_is_stream(ctx, ref))
        return 0;
    const int check = *(const int*)readsCheck;
    pdf_obj* filters = pdf_dict_get(ctx, ref, PDF_NAME(Filter));
    pdf_obj* params = pdf_dict_get(ctx, ref, PDF_NAME(DecodeParms));
    const int stages = StageCount(ctx, filters);
    for (int i = 0; i < stages; ++i)
        if (IsFlate(ctx, Stage(ctx, filters, i)) &&
            StageFault(ctx, pdf_open_raw_stream_number(ctx, doc, num), filters, params, i, check))
            return 1;
    content = content || pdf_name_eq(ctx, pdf_dict_get(ctx, ref, PDF_NAME(Subtype)), PDF_NAME(Form)) ||
              pdf_dict_get_int(ctx, ref, PDF_NAME(PatternType)) == 1;
    return content && InlineImagesFault(ctx, doc, ref, check);
}

int VDRW_PageFlateStreamCut(fz_context* ctx, pdf_document* doc, pdf_obj* page) {
    int readsCheck = 0;
    return VDRW_PageReaches(ctx, doc, page, StreamCut, &readsCheck);
}

int VDRW_PageFlateCheckWrong(fz_context* ctx, pdf_document* doc, pdf_obj* page) {
    int readsCheck = 1;
    return VDRW_PageReaches(ctx, doc, page, StreamCut, &readsCheck);
}
