#include "VDRW_ReadingLoss.h"

#include <stdio.h>
#include <string.h>

typedef enum Kind {
    kSkipped,     /* an error gone past, having skipped what it was met in */
    kSubstituted, /* a warning: the error before it cost a font, drawn in another */
    kCutAfter,    /* a warning: the error before it ended the content stream */
    kCutHere      /* a warning that ends the content stream by itself */
} Kind;

/* MuPDF 1.21's words, by how they start. */
static const struct {
    const char* m_start;
    Kind m_kind;
} kWords[] = {
    {"syntax error in content stream", kSkipped}, /* a stray token */
    {"syntax error in array", kSkipped},          /* a stray token in a TJ array */
    {"cannot find ExtGState resource", kSkipped},
    {"cannot find ExtGState dictionary", kSkipped},
    {"cannot find ColorSpace resource", kSkipped},
    {"cannot find ColorSpace dictionary", kSkipped},
    {"ignored error when loading embedded font", kSubstituted},
    {"read error; treating as end of file", kCutAfter},
    {"unrecoverable error; ignoring rest of page", kCutAfter},
    {"too many syntax errors; ignoring rest of page", kCutAfter},
    {"ignoring zlib error", kCutHere},
};

/* -1 for words not in the table. */
static int KindOf(const char* words) {
    for (size_t i = 0; i < sizeof kWords / sizeof kWords[0]; ++i)
        if (strncmp(words, kWords[i].m_start, strlen(kWords[i].m_start)) == 0)
            return (int)kWords[i].m_kind;
    return -1;
}

static void Lose(VDRW_ReadingLoss* loss, const char* words) {
    if (loss->m_lost)
        return;
    loss->m_lost = 1;
    snprintf(loss->m_lostWords, sizeof loss->m_lostWords, "%s", words);
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
    case kSubstituted:
        loss->m_pending = 0;
        break;
    case kCutAfter:
        /* Said as the error is caught: the error's words say what ended it. */
        Lose(loss, loss->m_pending ? loss->m_pendingWords : words);
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
