#include "FILT/FILT_FlateDecode.h"

#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsContentWhite(uint8_t b) { return b == 0 || b == 9 || b == 10 || b == 12 || b == 13 || b == 32; }
bool IsContentDelimiter(uint8_t b) { return b != 0 && std::strchr("()<>[]{}/%", b) != nullptr; }

enum Match { MatchNo, MatchYes, MatchUnknown };

// Whether white space, "EI" and white space or a delimiter begin at at of
// seen; all: no byte comes after seen.
Match EIAt(const std::vector<uint8_t>& seen, size_t at, bool all) {
    static const char kEI[] = "EI";
    for (size_t i = 0; i < 3; ++i) {
        if (at + i >= seen.size())
            return all ? MatchNo : MatchUnknown;
        const uint8_t b = seen[at + i];
        if (i == 0 ? !IsContentWhite(b) : b != static_cast<uint8_t>(kEI[i - 1]))
            return MatchNo;
    }
    if (at + 3 >= seen.size())
        return all ? MatchYes : MatchUnknown;
    return IsContentWhite(seen[at + 3]) || IsContentDelimiter(seen[at + 3]) ? MatchYes : MatchNo;
}

}  // namespace

void FILT_FlateDecode::NeedsInput() {
    GLIB_LOG(GLIB_LogDebug, "Encountered Z_BUF_ERROR that will be ignored. It is assumed zlib needs more "
                              "input data to successfully continue decoding.");
}

int FILT_FlateDecode::StepZStream(z_stream* stream, int flush) {
    if (!m_endsAtEI || m_checkJudged)
        return COMN_FlateInflateChecked(stream, flush, &m_lastBlockEnded, &m_checkWrong);
    if (!m_lastBlockEnded)
        return COMN_FlateInflateUpTo(stream, flush, &m_lastBlockEnded, &m_checkWrong, 1);
    return StepAtCheck(stream, flush);
}

int FILT_FlateDecode::StepAtCheck(z_stream* stream, int flush) {
    // Under Z_FINISH no byte comes after those held.
    const bool all = flush == Z_FINISH;
    const size_t heldBefore = m_held.size();
    const size_t looked = std::min<size_t>(stream->avail_in, EILookahead - std::min(heldBefore, EILookahead));
    std::vector<uint8_t> seen(m_held);
    seen.insert(seen.end(), stream->next_in, stream->next_in + looked);
    size_t at = 0;
    Match match = EIAt(seen, at, all);
    while (match == MatchNo && at < 3)
        match = EIAt(seen, ++at, all);
    if (match == MatchUnknown) {
        // Too few bytes to tell, fewer than EILookahead: all are held.
        m_held.insert(m_held.end(), stream->next_in, stream->next_in + stream->avail_in);
        stream->next_in += stream->avail_in;
        stream->avail_in = 0;
        return Z_OK;
    }
    m_checkJudged = true;
    if (match == MatchYes) {
        // What comes before the white space is what there is of the check;
        // the rest is the content's.
        const size_t taken = at > heldBefore ? at - heldBefore : 0;
        m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(std::min(at, heldBefore)));
        stream->next_in += taken;
        stream->avail_in -= static_cast<uInt>(taken);
        return Z_STREAM_END;
    }
    if (heldBefore == 0)
        return COMN_FlateInflateChecked(stream, flush, &m_lastBlockEnded, &m_checkWrong);
    // The held bytes come first in the check: zlib reads them before the input.
    Bytef* const input = stream->next_in;
    const uInt inputBytes = stream->avail_in;
    stream->next_in = m_held.data();
    stream->avail_in = static_cast<uInt>(heldBefore);
    const int rc =
        COMN_FlateInflateChecked(stream, all ? Z_FINISH : Z_NO_FLUSH, &m_lastBlockEnded, &m_checkWrong);
    const size_t left = stream->avail_in;
    stream->next_in = input;
    stream->avail_in = inputBytes;
    if (rc == Z_STREAM_END) {
        // The check ended among them: those after it are the content's.
        m_held.erase(m_held.begin(), m_held.end() - static_cast<std::ptrdiff_t>(left));
        return Z_STREAM_END;
    }
    m_held.clear();
    if (rc != Z_OK && rc != Z_BUF_ERROR)
        return rc;
    return COMN_FlateInflateChecked(stream, flush, &m_lastBlockEnded, &m_checkWrong);
}
