#include "VDRW_FlateEnd.h"

#include <stdlib.h>

#include "COMN_FlateEnd.h"

struct VDRW_FlateJudge {
    z_stream m_z;
    int m_ended;   /* the last block has ended */
    int m_verdict; /* -1 until told */
    int m_readsCheck;
    int m_checkWrong;
};

static VDRW_FlateJudge* NewJudge(int readsCheck) {
    VDRW_FlateJudge* judge = calloc(1, sizeof *judge);
    if (!judge)
        return NULL;
    judge->m_verdict = -1;
    judge->m_readsCheck = readsCheck;
    if (inflateInit(&judge->m_z) != Z_OK) {
        free(judge);
        return NULL;
    }
    return judge;
}

VDRW_FlateJudge* VDRW_NewFlateJudge(void) { return NewJudge(0); }

VDRW_FlateJudge* VDRW_NewFlateCheckJudge(void) { return NewJudge(1); }

int VDRW_FlateCheckWrong(const VDRW_FlateJudge* judge) { return judge->m_checkWrong; }

void VDRW_DropFlateJudge(VDRW_FlateJudge* judge) {
    if (!judge)
        return;
    inflateEnd(&judge->m_z);
    free(judge);
}

int VDRW_FeedFlateJudge(VDRW_FlateJudge* judge, const unsigned char* data, size_t size, int last) {
    unsigned char out[16384];
    z_stream* z = &judge->m_z;
    while (judge->m_verdict < 0) {
        int status;
        if (z->avail_in == 0) {
            const uInt chunk = size > 0x40000000u ? 0x40000000u : (uInt)size;
            if (chunk == 0 && !last)
                break;
            z->next_in = (Bytef*)data;
            z->avail_in = chunk;
            data += chunk;
            size -= chunk;
        }
        z->next_out = out;
        z->avail_out = sizeof out;
        /* The last input is the end: what is short then stays short. */
        status = COMN_FlateInflateChecked(z, last && size == 0 ? Z_FINISH : Z_NO_FLUSH, &judge->m_ended,
                                          &judge->m_checkWrong);
        /* The check is not waited for unless asked: the data have given all
         * they hold. */
        if (status == Z_STREAM_END || (judge->m_ended && !judge->m_readsCheck))
            judge->m_verdict = 1;
        else if (status == Z_BUF_ERROR && last && size == 0 && z->avail_out == 0)
            continue;
        else if (status != Z_OK && !(status == Z_BUF_ERROR && !(last && size == 0)))
            judge->m_verdict = 0;
    }
    return judge->m_verdict;
}

int VDRW_FlateReachesLastBlock(const unsigned char* data, size_t size) {
    VDRW_FlateJudge* judge = VDRW_NewFlateJudge();
    const int verdict = judge ? VDRW_FeedFlateJudge(judge, data, size, 1) : 0;
    VDRW_DropFlateJudge(judge);
    return verdict == 1;
}
