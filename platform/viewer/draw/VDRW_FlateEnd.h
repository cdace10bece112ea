/* Whether Flate data reach the end of their last block (COMN_FlateEnd.h):
 * zlib checks the data only after the last of them is delivered, so data
 * that lack their check, in part or whole, draw whole, and MuPDF's word
 * that they ended early costs nothing. */
#ifndef VDRW_FLATE_END_H
#define VDRW_FLATE_END_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when the zlib data of size bytes deliver their last block whole,
 * whatever their check, 0 when they stop before its end or cannot be
 * decoded. */
int VDRW_FlateReachesLastBlock(const unsigned char* data, size_t size);

/* The same judgement of data given piece by piece, so that a stream of any
 * length is judged in bounded memory. */
typedef struct VDRW_FlateJudge VDRW_FlateJudge;
/* Null when out of memory. */
VDRW_FlateJudge* VDRW_NewFlateJudge(void);
/* A judge that goes on past the last block's end to the check, so that
 * VDRW_FlateCheckWrong tells whether it was there and wrong; its verdict
 * comes once the check is read or the data end. */
VDRW_FlateJudge* VDRW_NewFlateCheckJudge(void);
/* After the verdict: 1 when the check was there and did not match. */
int VDRW_FlateCheckWrong(const VDRW_FlateJudge* judge);
void VDRW_DropFlateJudge(VDRW_FlateJudge* judge);
/* Gives the next size bytes; last: none come after them. Returns 1 once
 * the last block has ended (nothing more need be given), 0 once the data
 * are known to stop short or not to be zlib data, -1 while more are
 * wanted (never after last). */
int VDRW_FeedFlateJudge(VDRW_FlateJudge* judge, const unsigned char* data, size_t size, int last);

#ifdef __cplusplus
}
#endif

#endif
