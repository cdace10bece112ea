/* Whether Flate data reach the end of their last block (COMN_FlateEnd.h):
 * zlib checks the data only after the last of them is delivered, so data
 * that lack their check, in part or whole, or whose check is wrong, draw
 * whole, and MuPDF's word that they ended early costs nothing. */
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
/* 1 when zlib takes the data whole, their check right: data whose check
 * fails draw whole, but what they hold may be garbled. */
int VDRW_FlateChecksOut(const unsigned char* data, size_t size);

#ifdef __cplusplus
}
#endif

#endif
