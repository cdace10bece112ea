#include "VDRW_ReadingLoss.h"

#include <stdio.h>
#include <string.h>

typedef enum Kind {
    kLost,        /* an error that lost what it was met in */
    kSkipped,     /* an error gone past that cost nothing drawn */
    kCleared,     /* a warning: the error before it cost nothing drawn */
    kInstead,     /* a warning that says what the error before it cost */
    kCutAfter,    /* a warning: the error before it ended the content stream */
    kCutRest,     /* a warning that the rest of the content is not read, whatever was lost before */
    kCutHere      /* a warning that ends the stream being read by itself */
} Kind;

static const char kUnknown[] = "an error whose effect cannot be told";
static const char kFontUnread[] = "a font it uses cannot be read";

/* MuPDF 1.21's words, by how they start, with what they cost in the
 * program's own words; the first row that fits is taken. */
static const struct {
    const char* m_start;
    Kind m_kind;
    const char* m_reason;
    /* What the document's own bytes must show for the words to cost
     * anything (VDRW_CheckNone: nothing). */
    VDRW_LossCheckKind m_check;
} kWords[] = {
    /* Either clears the operands read so far: an array, or the operator
     * they were for, is dropped. MuPDF says the first of a bad token
     * between operators too, which may drop nothing: the line says what
     * may be lost. */
    {"syntax error in content stream", kLost, "a token it could not read dropped the operands before it",
     VDRW_CheckNone},
    {"syntax error in array", kLost, "an operator whose array holds what it cannot hold was dropped", VDRW_CheckNone},
    {"syntax error after inline image", kLost, "an inline image is short of its data", VDRW_CheckNone},
    /* An array or dictionary left open takes in the operators after it. */
    {"array not closed before end of file", kLost, "an array left open took in what followed it", VDRW_CheckNone},
    {"invalid key in dict", kLost, "a dictionary it could not read took in what followed it", VDRW_CheckNone},
    {"cannot find ExtGState resource", kSkipped, "", VDRW_CheckNone},
    {"cannot find ExtGState dictionary", kSkipped, "", VDRW_CheckNone},
    {"cannot find ColorSpace resource", kSkipped, "", VDRW_CheckNone},
    {"cannot find ColorSpace dictionary", kSkipped, "", VDRW_CheckNone},
    /* A CID font without a descriptor is drawn in a fallback font. */
    {"missing font descriptor", kSkipped, "", VDRW_CheckNone},
    /* Its text is drawn all the same, in other glyphs. */
    {"ignored error when loading embedded font", kInstead,
     "a font it uses cannot be read; its text is drawn in a substitute font", VDRW_CheckNone},
    /* A ToUnicode map plays no part in drawing. */
    {"cannot load ToUnicode CMap", kCleared, "", VDRW_CheckNone},
    /* zlib checks the data only after the last of them is delivered: they
     * are whole, but what they hold may be damaged. Said too of a stream
     * read for text, never drawn. */
    {"ignoring zlib error: incorrect data check", kCutHere, "a compressed stream's data do not match their check",
     VDRW_CheckFlateCheck},
    {"ignoring zlib error", kCutHere, "a compressed stream in it is damaged", VDRW_CheckNone},
    /* Said too of data that lack only their check. */
    {"premature end of data in flate filter", kCutHere, "a compressed stream's data stop before their end", VDRW_CheckFlate},
    {"zlib error", kLost, "a compressed stream in it is damaged", VDRW_CheckNone},
    /* The other decoders' ends, in the words the separator's own say of
     * the same data, so that one fault heard by both is one line. */
    {"premature end of data in run length decode", kCutHere, "a run-length stream stops before its end mark",
     VDRW_CheckNone},
    {"premature end in lzw decode", kCutHere, "an LZW stream stops before its end code", VDRW_CheckNone},
    {"premature end of file in jpeg", kCutHere, "an image in it is short of its data", VDRW_CheckNone},
    /* Said as an image is decoded, whatever shortened its data. */
    {"padding truncated image", kCutHere, "an image in it is short of its data", VDRW_CheckNone},
    {"no XObject subtype specified", kLost, "a form or group without its /Subtype was not drawn", VDRW_CheckNone},
    {"exception stack overflow", kLost, "its groups, forms or patterns nest too deeply to be drawn", VDRW_CheckNone},
    /* A map read up to here (a CID font's, or a ToUnicode map written with
     * cid entries): a font's own map whose last entry may be cut can map a
     * code to a wrong glyph; a code it lacks is said below, where shown. */
    {"expected string or endcid", kCutHere, "a code map of a font it uses stops inside an entry",
     VDRW_CheckFontMap},
    /* A code shown that the drawing cannot map to a glyph draws nothing,
     * where another reader draws the font's first glyph: one the map leaves
     * out, or one a notdefrange maps, which MuPDF does not apply. Said as
     * the drawing met it, not as what the map holds. */
    {"cannot encode character", kCutHere, "a code its text shows could not be mapped to a glyph", VDRW_CheckNone},
    /* A warning as the text is read: the glyph will not be drawn either. */
    {"FT_Load_Glyph", kCutHere, kFontUnread, VDRW_CheckNone},
    {"FT_", kLost, kFontUnread, VDRW_CheckNone},
    {"read error; treating as end of file", kCutAfter, "a stream in it could not be read to its end",
     VDRW_CheckNone},
    {"unrecoverable error; ignoring rest of page", kCutAfter, "an error ended the reading of a content stream",
     VDRW_CheckNone},
    {"too many syntax errors; ignoring rest of page", kCutRest,
     "too many tokens it could not read left the rest of the content unread", VDRW_CheckNone},
};

/* -1 for words not in the table. */
static int RowOf(const char* words) {
    for (size_t i = 0; i < sizeof kWords / sizeof kWords[0]; ++i)
        if (strncmp(words, kWords[i].m_start, strlen(kWords[i].m_start)) == 0)
            return (int)i;
    return -1;
}

static int KindOf(const char* words) {
    const int row = RowOf(words);
    return row < 0 ? -1 : (int)kWords[row].m_kind;
}

const char* VDRW_ReasonFor(const char* words) {
    const int row = RowOf(words ? words : "");
    return row >= 0 && kWords[row].m_reason[0] ? kWords[row].m_reason : NULL;
}

static VDRW_LossCheckKind CheckOf(const char* words) {
    const int row = RowOf(words);
    return row < 0 ? VDRW_CheckNone : kWords[row].m_check;
}

static void Note(VDRW_HeardLoss* heard, int order, const char* words) {
    const char* reason = VDRW_ReasonFor(words);
    heard->m_order = order;
    snprintf(heard->m_words, sizeof heard->m_words, "%s", reason ? reason : kUnknown);
}

/* A loss the document's bytes may yet show was none is kept apart, the
 * first of each check. */
static void Lose(VDRW_ReadingLoss* loss, const char* words) {
    VDRW_HeardLoss* heard = &loss->m_losses[CheckOf(words)];
    if (heard->m_order == 0)
        Note(heard, ++loss->m_heard, words);
}

/* An error with no warning after it that says more. */
static void JudgePending(VDRW_ReadingLoss* loss) {
    if (loss->m_pending && KindOf(loss->m_pendingWords) != kSkipped)
        Lose(loss, loss->m_pendingWords);
    loss->m_pending = 0;
}

void VDRW_StartReading(VDRW_ReadingLoss* loss) {
    loss->m_pending = 0;
    loss->m_pendingWords[0] = 0;
    loss->m_heard = 0;
    loss->m_rest.m_order = 0;
    for (int i = 0; i < VDRW_CheckCount; ++i) {
        loss->m_losses[i].m_order = 0;
        loss->m_losses[i].m_words[0] = 0;
    }
}

void VDRW_HearError(VDRW_ReadingLoss* loss, const char* words) {
    JudgePending(loss);
    loss->m_pending = 1;
    snprintf(loss->m_pendingWords, sizeof loss->m_pendingWords, "%s", words ? words : "");
}

void VDRW_HearWarning(VDRW_ReadingLoss* loss, const char* words) {
    switch (KindOf(words ? words : "")) {
    case kCleared:
        loss->m_pending = 0;
        break;
    case kInstead:
        Lose(loss, words);
        loss->m_pending = 0;
        break;
    case kCutAfter:
        /* Said as the error is caught: the error's words say what ended it,
         * when they are known. */
        Lose(loss, loss->m_pending && VDRW_ReasonFor(loss->m_pendingWords) ? loss->m_pendingWords : words);
        loss->m_pending = 0;
        break;
    case kCutRest:
        /* The rest is lost, which says more than any loss before it. */
        loss->m_pending = 0;
        if (!loss->m_rest.m_order)
            Note(&loss->m_rest, ++loss->m_heard, words);
        break;
    case kCutHere:
        Lose(loss, words);
        break;
    default:
        break; /* other warnings leave the error before them to be judged */
    }
}

const char* VDRW_EndReadingChecked(VDRW_ReadingLoss* loss, VDRW_LossCheck check, void* user) {
    int after = 0;
    JudgePending(loss);
    if (loss->m_rest.m_order)
        return loss->m_rest.m_words;
    /* In the order heard: a check is asked only of a loss that may be the
     * first. */
    for (;;) {
        int next = -1;
        for (int i = 0; i < VDRW_CheckCount; ++i) {
            const int order = loss->m_losses[i].m_order;
            if (order > after && (next < 0 || order < loss->m_losses[next].m_order))
                next = i;
        }
        if (next < 0)
            return NULL;
        if (next == VDRW_CheckNone || !check || check(user, (VDRW_LossCheckKind)next))
            return loss->m_losses[next].m_words;
        after = loss->m_losses[next].m_order;
    }
}

const char* VDRW_EndReading(VDRW_ReadingLoss* loss) { return VDRW_EndReadingChecked(loss, NULL, NULL); }
