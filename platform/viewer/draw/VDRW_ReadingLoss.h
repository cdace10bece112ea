/* What the reading of a page's contents lost, judged from what MuPDF said
 * while reading them: MuPDF's interpreter goes past most errors and tells
 * only by its words whether it skipped an operator, substituted a font or
 * left the rest of a content stream, form, pattern cell or glyph undrawn.
 * A band's drawing, where images are decoded, is judged the same way.
 *
 * Errors lose what they were met in, unless their words say they only
 * skipped an operator that sets state (gs, cs) naming a resource the file
 * lacks, or unless MuPDF follows them with its warning that the map it
 * could not load was a ToUnicode map, which plays no part in drawing; its
 * warning that it drew the text in a substitute font says what the font's
 * error cost. A stray token loses the
 * operands read before it, an array holding what it cannot hold the
 * operator it was for. What is heard is what a plate may lack: whether it
 * shows is not told. Words not known count as lost: a plate said to lack
 * something is better than a wrong plate said to be whole. The words known
 * are in one table in VDRW_ReadingLoss.c, each with what it costs in the
 * program's own words; a loss is said in those, never in MuPDF's.
 *
 * Plain C without MuPDF: the engine feeds it each error from MuPDF's error
 * callback and each warning from its warning callback, in order. */
#ifndef VDRW_READING_LOSS_H
#define VDRW_READING_LOSS_H

#ifdef __cplusplus
extern "C" {
#endif

/* What the page's own bytes must show for some words to cost anything:
 * MuPDF says "premature end of data in flate filter" also of Flate data
 * that lack only their check, "incorrect data check" also of a stream
 * nothing draws, a ToUnicode map, and the same words of a font's own code
 * map cut short as of a ToUnicode map, which draws nothing. */
typedef enum VDRW_LossCheckKind {
    VDRW_CheckNone,       /* the words cost what they say */
    VDRW_CheckFlate,      /* a Flate stream the page reads stops short (VDRW_PageFlateStreamCut) */
    VDRW_CheckFlateCheck, /* one the page reads for marks has a wrong check (VDRW_PageFlateCheckWrong) */
    VDRW_CheckFontMap,    /* a font's own code map stops inside a block (VDRW_PageFontMapCut) */
    VDRW_CheckCount
} VDRW_LossCheckKind;

/* 1 when the page shows the loss, or cannot tell. */
typedef int (*VDRW_LossCheck)(void* user, VDRW_LossCheckKind check);

typedef struct VDRW_HeardLoss {
    int m_order; /* 0: none heard; else its place among the losses heard */
    char m_words[256];
} VDRW_HeardLoss;

typedef struct VDRW_ReadingLoss {
    /* The last error heard, not yet judged: a warning may follow it. */
    int m_pending;
    char m_pendingWords[256];
    /* The first loss of each check, in the program's words, and the rest
     * of the content left unread, which says more than any of them. */
    int m_heard;
    VDRW_HeardLoss m_losses[VDRW_CheckCount];
    VDRW_HeardLoss m_rest;
} VDRW_ReadingLoss;

void VDRW_StartReading(VDRW_ReadingLoss* loss);
void VDRW_HearError(VDRW_ReadingLoss* loss, const char* words);
void VDRW_HearWarning(VDRW_ReadingLoss* loss, const char* words);
/* After the last error and warning of a reading: what its first loss cost,
 * in the program's words, null when it lost nothing. A loss whose words
 * need a check counts only where check confirms it; with no check, it
 * counts. */
const char* VDRW_EndReadingChecked(VDRW_ReadingLoss* loss, VDRW_LossCheck check, void* user);
const char* VDRW_EndReading(VDRW_ReadingLoss* loss);
/* What MuPDF's words say was lost, in the program's words; null for words
 * the table does not know. */
const char* VDRW_ReasonFor(const char* words);

#ifdef __cplusplus
}
#endif

#endif
