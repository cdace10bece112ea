#include "VDRW_FlateEnd.h"

#include <zlib.h>

int VDRW_FlateReachesLastBlock(const unsigned char* data, size_t size) {
    unsigned char out[16384];
    z_stream z;
    int status = Z_OK;
    z.zalloc = Z_NULL;
    z.zfree = Z_NULL;
    z.opaque = Z_NULL;
    z.next_in = Z_NULL;
    z.avail_in = 0;
    if (inflateInit(&z) != Z_OK)
        return 0;
    while (status == Z_OK) {
        if (z.avail_in == 0 && size > 0) {
            const uInt chunk = size > 0x40000000u ? 0x40000000u : (uInt)size;
            z.next_in = (Bytef*)data;
            z.avail_in = chunk;
            data += chunk;
            size -= chunk;
        }
        z.next_out = out;
        z.avail_out = sizeof out;
        status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_BUF_ERROR && z.avail_in == 0 && size == 0)
            break;
        if (status == Z_BUF_ERROR)
            status = Z_OK;
    }
    /* Out of input past the last block's end, as the separator's own Flate
     * decoder judges it: inflate reads only the check, outside any block. */
    const int reached =
        status == Z_STREAM_END || (status == Z_BUF_ERROR && (z.data_type & 64) && (inflateMark(&z) >> 16) == -1);
    inflateEnd(&z);
    return reached;
}
