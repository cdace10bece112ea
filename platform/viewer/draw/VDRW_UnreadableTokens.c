#include "VDRW_UnreadableTokens.h"

#include <string.h>

void VDRW_SkipInlineImageData(fz_context* ctx, fz_stream* stm) {
    int last = ' ', c;
    while ((c = fz_read_byte(ctx, stm)) != EOF) {
        if (c == 'E' && (last == ' ' || last == '\n' || last == '\r' || last == '\t') && fz_peek_byte(ctx, stm) == 'I') {
            fz_read_byte(ctx, stm);
            return;
        }
        last = c;
    }
}

/* 1 when MuPDF's parser reads the array or dictionary whose opening token
 * was just read, as the interpreter has it read; 0 when it refuses it,
 * the stream left where the parser stopped, as the interpreter goes on. */
static int Parses(fz_context* ctx, fz_stream* stm, pdf_lexbuf* buf, int dict) {
    pdf_obj* obj = NULL;
    int parses = 0;
    fz_var(obj);
    fz_var(parses);
    fz_try(ctx) {
        obj = dict ? pdf_parse_dict(ctx, NULL, stm, buf) : pdf_parse_array(ctx, NULL, stm, buf);
        parses = 1;
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, obj);
    }
    fz_catch(ctx) {
        if (fz_caught(ctx) != FZ_ERROR_SYNTAX)
            fz_rethrow(ctx);
    }
    return parses;
}

/* Past the array or dictionary inside a text array whose opening token was
 * just read, to its balancing close; 0 when the stream ends first. */
static int SkipNested(fz_context* ctx, fz_stream* stm, pdf_lexbuf* buf) {
    int depth = 1;
    while (depth > 0) {
        const pdf_token token = pdf_lex(ctx, stm, buf);
        if (token == PDF_TOK_EOF)
            return 0;
        if (token == PDF_TOK_OPEN_ARRAY || token == PDF_TOK_OPEN_DICT)
            ++depth;
        else if (token == PDF_TOK_CLOSE_ARRAY || token == PDF_TOK_CLOSE_DICT)
            --depth;
    }
    return 1;
}

/* A text array after its "[", to its "]": anything but a number or a
 * string drops it. A nested array or dictionary goes whole where it
 * closes, else its opening token alone. */
static int WalkTextArray(fz_context* ctx, fz_stream* stm, pdf_lexbuf* buf, VDRW_UnreadableVisit visit, void* user) {
    for (;;) {
        const int64_t start = fz_tell(ctx, stm);
        const pdf_token token = pdf_lex(ctx, stm, buf);
        int64_t end = fz_tell(ctx, stm);
        int stop = 0;
        switch (token) {
        case PDF_TOK_EOF:
        case PDF_TOK_CLOSE_ARRAY:
            return 0;
        case PDF_TOK_INT:
        case PDF_TOK_REAL:
        case PDF_TOK_STRING:
            break;
        case PDF_TOK_OPEN_ARRAY:
        case PDF_TOK_OPEN_DICT:
            if (SkipNested(ctx, stm, buf))
                end = fz_tell(ctx, stm);
            stop = visit(user, start, end, 1);
            break;
        default:
            stop = visit(user, start, end, 1);
            break;
        }
        if (stop)
            return stop;
    }
}

int VDRW_WalkUnreadable(fz_context* ctx, fz_stream* stm, pdf_lexbuf* buf, VDRW_UnreadableVisit visit, void* user) {
    int pending = 0, inText = 0, stop = 0;
    while (!stop) {
        const int64_t start = fz_tell(ctx, stm);
        const pdf_token token = pdf_lex(ctx, stm, buf);
        switch (token) {
        case PDF_TOK_EOF:
        case PDF_TOK_ENDSTREAM:
            return 0;
        case PDF_TOK_INT:
        case PDF_TOK_REAL:
        case PDF_TOK_STRING:
        case PDF_TOK_NAME:
            ++pending;
            break;
        case PDF_TOK_OPEN_ARRAY:
        case PDF_TOK_OPEN_DICT:
            if (inText && token == PDF_TOK_OPEN_ARRAY) {
                stop = WalkTextArray(ctx, stm, buf, visit, user);
                ++pending;
            } else if (Parses(ctx, stm, buf, token == PDF_TOK_OPEN_DICT)) {
                ++pending;
            } else {
                stop = visit(user, start, fz_tell(ctx, stm), 1);
                pending = 0;
            }
            break;
        case PDF_TOK_KEYWORD:
            if (strcmp(buf->scratch, "BT") == 0)
                inText = 1;
            else if (strcmp(buf->scratch, "ET") == 0)
                inText = 0;
            else if (strcmp(buf->scratch, "BI") == 0 && Parses(ctx, stm, buf, 1))
                VDRW_SkipInlineImageData(ctx, stm);
            pending = 0;
            break;
        default:
            stop = visit(user, start, fz_tell(ctx, stm), pending > 0);
            pending = 0;
            break;
        }
    }
    return stop;
}
