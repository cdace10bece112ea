/* Where Flate data end, one rule for every reader of them: the separator's
 * decoder and the drawing's checks of content, fonts and images alike.
 *
 * The data have given all they hold once inflate has decoded the end of
 * their last block; the Adler-32 check after it changes nothing drawn,
 * so data that lack it in whole or in part are whole, as other readers
 * take them. A wrong check is told apart: the data may be damaged. Data that stop anywhere before that
 * end are cut, also inside the last block's header, its code tables or a
 * stored block's bytes, where zlib has already read that the block is the
 * last.
 *
 * Header-only C over zlib: the viewer, in C, never links the system's
 * libraries, and the plug-in keeps its libraries to itself. */
#ifndef COMN_FLATE_END_H
#define COMN_FLATE_END_H

#include <zlib.h>

/* inflate (stream, flush) stepped block by block, so that the end of the
 * last block is seen (with stopsAtLastBlockEnd, it returns Z_OK there, the
 * check unread): *lastBlockEnded, 0 when the stream is opened, becomes
 * 1 there and is kept between calls. The result is inflate's own, except
 * Z_STREAM_END once the last block has ended and the check is wrong, or is
 * short and no more input comes (flush Z_FINISH). *checkWrong becomes 1
 * when the check is there and wrong: the data are whole but may be
 * damaged. */
static inline int COMN_FlateInflateUpTo(z_stream* stream, int flush, int* lastBlockEnded, int* checkWrong,
                                        int stopsAtLastBlockEnd) {
    const uInt in = stream->avail_in;
    const uInt out = stream->avail_out;
    int rc;
    for (;;) {
        rc = inflate(stream, *lastBlockEnded ? flush : Z_BLOCK);
        if (*lastBlockEnded || rc != Z_OK)
            break;
        /* 64: the last block; 128: stopped at a block's end. */
        if ((stream->data_type & 192) == 192) {
            *lastBlockEnded = 1;
            /* next_in stands at the check's first byte: inflate holds no
             * whole byte at a block's end. */
            if (stopsAtLastBlockEnd)
                return Z_OK;
        } else if (!(stream->data_type & 128) || stream->avail_in == 0 || stream->avail_out == 0)
            break;
    }
    /* After the last block inflate reads only the check. */
    if (*lastBlockEnded && rc == Z_DATA_ERROR) {
        *checkWrong = 1;
        return Z_STREAM_END;
    }
    if (*lastBlockEnded && rc == Z_BUF_ERROR && flush == Z_FINISH)
        return Z_STREAM_END;
    /* As inflate says it: stopped short under Z_FINISH or with nothing
     * taken or given is a buffer error. */
    if (rc == Z_OK || rc == Z_BUF_ERROR)
        rc = flush != Z_FINISH && (stream->avail_in != in || stream->avail_out != out) ? Z_OK : Z_BUF_ERROR;
    return rc;
}

/* COMN_FlateInflateUpTo going on to the check. */
static inline int COMN_FlateInflateChecked(z_stream* stream, int flush, int* lastBlockEnded, int* checkWrong) {
    return COMN_FlateInflateUpTo(stream, flush, lastBlockEnded, checkWrong, 0);
}

/* The same, for a reader that takes a wrong check as whole data. */
static inline int COMN_FlateInflate(z_stream* stream, int flush, int* lastBlockEnded) {
    int checkWrong = 0;
    return COMN_FlateInflateChecked(stream, flush, lastBlockEnded, &checkWrong);
}

#endif
