/* What MuPDF's content interpreter cannot read of a content stream, found
 * by reading it as the interpreter does: one rule for the check that tells
 * whether a bad token cost anything and for the mended twin, which blanks
 * what the interpreter cannot read.
 *
 * Among operators the interpreter gathers numbers, strings, names, arrays
 * and dictionaries (the last two read by MuPDF's own object parser) as
 * operands, and a keyword is an operator that takes them. Any other token
 * (a brace, a stray "]" or ">>", "R", a boolean, null, a file-structure
 * word such as "obj", or the lexer's error token) it cannot read: it drops
 * the operands gathered before it. An array or dictionary the parser
 * refuses is dropped with them. Between BT and ET an array is a text
 * array, which holds numbers and strings and nothing else; anything else
 * in it drops the array. BI's dictionary is read by the same parser, its
 * data skipped to EI. "endstream" ends the stream.
 *
 * MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always. */
#ifndef VDRW_UNREADABLE_TOKENS_H
#define VDRW_UNREADABLE_TOKENS_H

#include <stdint.h>

#include <mupdf/pdf.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Told of each stretch of bytes [from, to) the interpreter cannot read,
 * white space before it included; drops is 1 when reading it costs the
 * interpreter something: operands gathered, the array or dictionary it
 * stands in. A nonzero return stops the walk. */
typedef int (*VDRW_UnreadableVisit)(void* user, int64_t from, int64_t to, int drops);

/* Reads stm to its end as the interpreter does, telling visit of what it
 * cannot read; returns what visit last returned, 0 when never told. Throws
 * what reading stm throws, besides the parser's syntax errors. */
int VDRW_WalkUnreadable(fz_context* ctx, fz_stream* stm, pdf_lexbuf* buf, VDRW_UnreadableVisit visit, void* user);

/* Skips an inline image's data, after its ID, to the "EI" after white
 * space, as MuPDF's lexer does. */
void VDRW_SkipInlineImageData(fz_context* ctx, fz_stream* stm);

#ifdef __cplusplus
}
#endif

#endif
