#include "VDRW_FlateEnd.h"

#include "COMN_FlateEnd.h"

/* The result of inflating the data whole: by the rule of their end when
 * judged, else as zlib itself has it. */
static int Inflated(const unsigned char* data, size_t size, int judged) {
    unsigned char out[16384];
    z_stream z;
    int ended = 0;
    int status = Z_OK;
    z.zalloc = Z_NULL;
    z.zfree = Z_NULL;
    z.opaque = Z_NULL;
    z.next_in = Z_NULL;
    z.avail_in = 0;
    if (inflateInit(&z) != Z_OK)
        return 0;
    for (;;) {
        if (z.avail_in == 0 && size > 0) {
            const uInt chunk = size > 0x40000000u ? 0x40000000u : (uInt)size;
            z.next_in = (Bytef*)data;
            z.avail_in = chunk;
            data += chunk;
            size -= chunk;
        }
        z.next_out = out;
        z.avail_out = sizeof out;
        /* The last input is the end: what is short then stays short. */
        status = judged ? COMN_FlateInflate(&z, size == 0 ? Z_FINISH : Z_NO_FLUSH, &ended)
                        : inflate(&z, size == 0 ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_BUF_ERROR && size == 0 && z.avail_out == 0)
            continue;
        if (status != Z_OK)
            break;
    }
    inflateEnd(&z);
    return status;
}

int VDRW_FlateReachesLastBlock(const unsigned char* data, size_t size) {
    return Inflated(data, size, 1) == Z_STREAM_END;
}

int VDRW_FlateChecksOut(const unsigned char* data, size_t size) { return Inflated(data, size, 0) == Z_STREAM_END; }
