#include "VDRW_FlateEnd.h"

#include <zlib.h>

/* The two-byte zlib header: deflate, a window zlib takes, no preset
 * dictionary, and its check. */
static int HeaderLength(const unsigned char* data, size_t size) {
    if (size < 2 || (data[0] & 0x0f) != 8 || (data[0] >> 4) > 7 || ((data[0] << 8) | data[1]) % 31 != 0)
        return -1;
    return (data[1] & 0x20) ? -1 : 2;
}

int VDRW_FlateReachesLastBlock(const unsigned char* data, size_t size) {
    unsigned char out[16384];
    z_stream z;
    int status = Z_OK;
    const int header = HeaderLength(data, size);
    if (header < 0)
        return 0;
    z.zalloc = Z_NULL;
    z.zfree = Z_NULL;
    z.opaque = Z_NULL;
    z.next_in = Z_NULL;
    z.avail_in = 0;
    /* Raw deflate ends at the last block's end, without the check. */
    if (inflateInit2(&z, -15) != Z_OK)
        return 0;
    data += header;
    size -= (size_t)header;
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
        /* Out of input with room left: the data stop inside a block. */
        if (status == Z_BUF_ERROR && z.avail_out > 0 && z.avail_in == 0 && size == 0)
            break;
        if (status == Z_BUF_ERROR)
            status = Z_OK;
    }
    inflateEnd(&z);
    return status == Z_STREAM_END;
}
