#include "VDRW_ReadingLoss.h"

#include <stdio.h>
#include <string.h>

typedef enum Kind {
    kLost,        /* an error that lost what it was met in */
    kSkipped,     /* an error gone past that cost nothing drawn */
    kCleared,     /* a warning: the error before it cost nothing drawn */
    kQuiet,       /* a warning of nothing lost */
    kCutAfter,    /* a warning: the error before it ended the content stream */
    kCutHere      /* a warning that ends the stream being read by itself */
} Kind;

static const char kUnknown[] = "an error whose effect cannot be told";

/* MuPDF 1.21's words, by how they start, with what they cost in the
 * program's own words; the first row that fits is taken. */
static const struct {
    const char* m_start;
    Kind m_kind;
    const char* m_reason;
} kWords[] = {
    /* Either clears the operands read so far: an array, or the operator
     * they were for, is dropped. */
    {"syntax error in content stream", kLost, "a token it could not read dropped the operands before it"},
    {"syntax error in array", kLost, "an operator whose array holds what it cannot hold was dropped"},
    {"syntax error after inline image", kLost, "an inline image is short of its data"},
    {"cannot find ExtGState resource", kSkipped, ""},
    {"cannot find ExtGState dictionary", kSkipped, ""},
    {"cannot find ColorSpace resource", kSkipped, ""},
    {"cannot find ColorSpace dictionary", kSkipped, ""},
    /* A CID font without a descriptor is drawn in a fallback font. */
    {"missing font descriptor", kSkipped, ""},
    {"ignored error when loading embedded font", kCleared, ""},
    /* A ToUnicode map plays no part in drawing. */
    {"cannot load ToUnicode CMap", kCleared, ""},
    /* zlib checks the data only after the last of them is delivered. */
    {"ignoring zlib error: incorrect data check", kQuiet, ""},
    {"ignoring zlib error", kCutHere, "a compressed stream in it is damaged"},
    {"premature end of data in flate filter", kCutHere, "a compressed stream in it is cut short"},
    {"zlib error", kLost, "a compressed stream in it is damaged"},
    /* Said as an image is decoded, whatever shortened its data. */
    {"padding truncated image", kCutHere, "an image in it is short of its data"},
    {"no XObject subtype specified", kLost, "a form or group without its /Subtype was not drawn"},
    {"exception stack overflow", kLost, "its groups, forms or patterns nest too deeply to be drawn"},
    {"FT_", kLost, "a font it uses cannot be read"},
    {"read error; treating as end of file", kCutAfter, "a stream in it could not be read to its end"},
    {"unrecoverable error; ignoring rest of page", kCutAfter, "an error ended the reading of a content stream"},
    {"too many syntax errors; ignoring rest of page", kCutAfter,
     "too many tokens it could not read ended the reading of a content stream"},
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

static void Lose(VDRW_ReadingLoss* loss, const char* words) {
    const char* reason = VDRW_ReasonFor(words);
    if (loss->m_lost)
        return;
    loss->m_lost = 1;
    snprintf(loss->m_lostWords, sizeof loss->m_lostWords, "%s", reason ? reason : kUnknown);
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
    loss->m_lost = 0;
    loss->m_lostWords[0] = 0;
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
    case kCutAfter:
        /* Said as the error is caught: the error's words say what ended it,
         * when they are known. */
        Lose(loss, loss->m_pending && VDRW_ReasonFor(loss->m_pendingWords) ? loss->m_pendingWords : words);
        loss->m_pending = 0;
        break;
    case kCutHere:
        Lose(loss, words);
        break;
    default:
        break; /* other warnings leave the error before them to be judged */
    }
}

const char* VDRW_EndReading(VDRW_ReadingLoss* loss) {
    JudgePending(loss);
    return loss->m_lost ? loss->m_lostWords : NULL;
}
