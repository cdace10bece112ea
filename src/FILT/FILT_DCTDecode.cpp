#include "FILT/FILT_DCTDecode.h"

#include "FILT/FILT_FilterPipe.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

#include <jerror.h>

namespace {

// JPEG end-of-image marker.
constexpr uint8_t MarkerPrefix = 0xFF;
constexpr uint8_t EndOfImage = 0xD9;

// A user meets these as the reason a page is refused: the program's words
// first, libjpeg's after them.
const char* const HeaderCutLead = "FILT_DCTDecode: the image's JPEG data are cut short or damaged before their first scan";
const char* const HeaderCutStall =
    "FILT_DCTDecode: the image's JPEG data are cut short or damaged before their first scan (they end in its header)";

// What libjpeg reads past the end of whole data: end-of-image markers.
const JOCTET EndPadding[] = {MarkerPrefix, EndOfImage, MarkerPrefix, EndOfImage,
                             MarkerPrefix, EndOfImage, MarkerPrefix, EndOfImage};

// What arithmetic decoding reads past the end of whole data first.
const JOCTET ZeroPadding[64] = {};

// Markers whose segment carries a length: SOFn, DHT and DAC (0xC0 to 0xCF
// but JPG), SOS, DQT, DNL and DRI, APPn, COM. libjpeg skips no other by a
// length: in a scan's data the rest are damage it resyncs past.
bool HasLength(uint8_t code) {
    return (code >= 0xC0 && code <= 0xCF && code != 0xC8) || (code >= 0xDA && code <= 0xDD) ||
           (code >= 0xE0 && code <= 0xEF) || code == 0xFE;
}
constexpr uint8_t StartOfScan = 0xDA;

// PDF's white space and delimiters, around the "EI" that ends inline data.
bool IsContentWhite(uint8_t b) { return b == 0 || b == 9 || b == 10 || b == 12 || b == 13 || b == 32; }
bool IsContentDelimiter(uint8_t b) { return b != 0 && std::strchr("()<>[]{}/%", b) != nullptr; }
// Content after "EI" is text: binary bytes there show the "EI" to be image data.
bool IsContentText(uint8_t b) { return IsContentWhite(b) || (b > 0x20 && b < 0x7F); }

}  // namespace

FILT_DCTDecode::FILT_DCTDecode() : FILT_DCTBase(FILT_DCTDecodeCode) {
    std::memset(&m_jpeg, 0, sizeof m_jpeg);
    std::memset(&m_source, 0, sizeof m_source);
}

FILT_DCTDecode::~FILT_DCTDecode() {
    if (m_jpegCreated)
        jpeg_destroy_decompress(&m_jpeg);
}

void FILT_DCTDecode::Fail(const char* text) {
    m_state = Error;
    GLIB_THROW(GLIB_Exception, FILT_DCTDecodeCode, text);
}

void FILT_DCTDecode::Start(const FILT_FilterBuffer& in) {
    const FILT_Size size = std::max(in.Capacity(), MinAccumulation);
    m_accStore.assign(size, 0);
    m_acc.SetStorage(m_accStore.data(), size, false);
    std::memset(&m_jpeg, 0, sizeof m_jpeg);
    InitErrorMgr(reinterpret_cast<j_common_ptr>(&m_jpeg));
    if (!JpegGuard([this] { jpeg_create_decompress(&m_jpeg); })) {
        m_state = Error;
        RaiseJpegError(reinterpret_cast<j_common_ptr>(&m_jpeg));
    }
    m_jpegCreated = true;
    // Whole-image buffers beyond this fail in libjpeg instead of exhausting memory.
    m_jpeg.mem->max_memory_to_use = MaxJpegMemory;
    m_source.init_source = InitSource;
    m_source.fill_input_buffer = FillInputBuffer;
    m_source.skip_input_data = SkipInputData;
    m_source.resync_to_restart = jpeg_resync_to_restart;
    m_source.term_source = TermSource;
    m_source.next_input_byte = nullptr;
    m_source.bytes_in_buffer = 0;
    m_jpeg.src = &m_source;
    m_skipRemaining = 0;
    m_suspended = false;
    m_stalls = 0;
    ClearDataRanOut();
    m_wholeData = false;
    m_allTaken = false;
    m_endedAtEI = false;
    m_held.clear();
    m_segmentCut = SegmentWhole;
    m_scan = ScanData;
    m_segmentLeft = 0;
    m_markerBytes = 0;
    m_onPadding = false;
    m_paddingRead = false;
    m_readPastEnd = false;
    m_coefficientsWhole = true;
    m_state = ReadingHeader;
}

void FILT_DCTDecode::Grow() {
    const FILT_Size size = m_acc.Capacity();
    const FILT_Size limit = m_wholeData ? MaxWholeData : MaxAccumulation;
    if (size >= limit)
        Fail(m_wholeData ? "FILT_DCTDecode: arithmetic-coded JPEG data too large to decode"
                         : "FILT_DCTDecode: a JPEG marker segment does not fit the decoder's buffer");
    const FILT_Size bigger = std::min(size * 2, limit);
    std::vector<uint8_t> store(bigger);
    const FILT_Size kept = m_acc.DataAvailable();
    std::memcpy(store.data(), m_acc.GetPtr(), kept);
    m_accStore.swap(store);
    m_acc.SetStorage(m_accStore.data(), bigger, false);
    m_acc.AdvancePutPtr(kept);
}

FILT_Size FILT_DCTDecode::LostEndCodeBytes() const {
    if (m_scan != ScanData)
        return 0;
    const uint8_t* end = m_acc.PutPtr();
    const FILT_Size available = m_acc.DataAvailable();
    const auto lineEnd = [](uint8_t b) { return b == '\r' || b == '\n'; };
    FILT_Size ending = 0;
    while (ending < 2 && ending < available && lineEnd(end[-1 - static_cast<int32_t>(ending)]))
        ++ending;
    if (ending == 2 && (end[-2] != '\r' || end[-1] != '\n'))
        ending = 1;
    return ending && ending < available && end[-1 - static_cast<int32_t>(ending)] == MarkerPrefix ? ending + 1 : 0;
}

void FILT_DCTDecode::DropConsumed() {
    const int32_t consumed = static_cast<int32_t>(m_acc.GetPtr() - m_acc.BasePtr());
    if (consumed)
        m_acc.ShiftData(-consumed);
}

bool FILT_DCTDecode::InputEnded(const FILT_FilterBuffer& in) const {
    return m_allTaken || m_endedAtEI || (in.IsEOD() && in.DataAvailable() == 0);
}

void FILT_DCTDecode::Feed(FILT_FilterBuffer& in) {
    // Whole data only shrinks: moving it on every call would cost its size
    // each time.
    if (!m_wholeData)
        DropConsumed();
    // libjpeg suspended with the whole buffer before it: one piece (a
    // marker segment) is larger than the buffer.
    if (!m_allTaken && m_suspended && m_acc.SpaceRemaining() == 0)
        Grow();
    const uint8_t* const taken = m_acc.PutPtr();
    Take(in);
    if (m_stopAtDataEnd && m_state != ReadingHeader)
        m_firstScan.Read(taken, static_cast<FILT_Size>(m_acc.PutPtr() - taken));
    // libjpeg goes on where it left the padding of whole data.
    if (m_onPadding)
        return;
    const bool inputEnded = InputEnded(in);
    // Whole data get their padding from FillInputBuffer, which sees where
    // libjpeg was when they ran out.
    const bool padHere = inputEnded && !m_wholeData;
    const FILT_Size lostEndCode = LostEndCodeBytes();
    if (padHere && lostEndCode)
        m_acc.SeekP(m_acc.TellP() - lostEndCode);
    if (padHere && m_acc.SpaceRemaining() < 2)
        Grow();
    m_source.next_input_byte = m_acc.GetPtr();
    m_source.bytes_in_buffer = m_acc.DataAvailable() - (inputEnded ? 0 : lostEndCode);
    if (m_skipRemaining) {
        const FILT_Size skip = static_cast<FILT_Size>(std::min<uint64_t>(m_skipRemaining, m_acc.DataAvailable()));
        if (skip)
            m_acc.AdvanceGetPtr(skip);
        m_source.next_input_byte += skip;
        m_source.bytes_in_buffer -= skip;
        m_skipRemaining -= skip;
    }
    if (inputEnded)
        m_skipRemaining = 0;
    if (padHere) {
        // Nothing more will come: libjpeg, reading past truncated data, meets
        // end-of-image markers instead of waiting.
        uint8_t* p = m_acc.PutPtr();
        const FILT_Size pairs = std::min(m_acc.SpaceRemaining() / 2, EndPaddingPairs);
        for (FILT_Size i = 0; i < pairs; ++i) {
            p[2 * i] = MarkerPrefix;
            p[2 * i + 1] = EndOfImage;
        }
        m_source.bytes_in_buffer += 2 * pairs;
    }
}

void FILT_DCTDecode::Take(FILT_FilterBuffer& in) {
    if (m_allTaken || m_endedAtEI)
        return;
    // Bytes held back are taken again with this input.
    if (m_acc.SpaceRemaining() <= m_held.size())
        Grow();
    TakeableBytes(in, m_acc.SpaceRemaining(), &m_acc);
    m_allTaken = m_scan == ScanDone;
}

void FILT_DCTDecode::TakeableBytes(FILT_FilterBuffer& in, FILT_Size room, FILT_FilterBuffer* acc) {
    const uint8_t* data = in.GetPtr();
    FILT_Size available = in.DataAvailable();
    if (!m_endsAtEI) {
        const FILT_Size taken = ScanToEndOfImage(data, std::min(available, room));
        if (acc)
            acc->Write(data, taken);
        in.AdvanceGetPtr(taken);
        return;
    }
    const FILT_Size heldBefore = static_cast<FILT_Size>(m_held.size());
    if (heldBefore) {
        m_held.insert(m_held.end(), data, data + available);
        data = m_held.data();
        available += heldBefore;
    }
    FILT_Size held = 0;
    const FILT_Size taken = ScanToEI(data, std::min(available, room), available, in.IsEOD(), held);
    if (acc)
        acc->Write(data, taken);
    if (m_endedAtEI && taken < heldBefore) {
        // The data end at the white space held back: what was held after
        // it is the content's, and nothing of this input is taken.
        m_held.resize(heldBefore);
        return;
    }
    in.AdvanceGetPtr(taken + held - heldBefore);
    if (!heldBefore)
        m_held.assign(data + taken, data + taken + held);
    else
        m_held.erase(m_held.begin(), m_held.begin() + (m_held.size() - held));
}

bool FILT_DCTDecode::FindEI(const uint8_t* data, FILT_Size from, FILT_Size to, FILT_Size available, bool last,
                            FILT_Size& at) const {
    at = to;
    for (FILT_Size e = from + 1; e <= to && e < available; ++e) {
        const void* found = std::memchr(data + e, 'E', std::min(to + 1, available) - e);
        if (!found)
            break;
        e = static_cast<FILT_Size>(static_cast<const uint8_t*>(found) - data);
        if (!IsContentWhite(data[e - 1]))
            continue;
        // "EI", white space or a delimiter, and EIFollowers bytes of text,
        // the content's end cutting them short: what the input's end cuts
        // short is judged with the next input.
        if (e + 1 == available) {
            if (last)
                break;
            at = e - 1;
            return false;
        }
        if (data[e + 1] != 'I')
            continue;
        bool text = true;
        FILT_Size p = e + 2;
        for (; p < available && p < e + 2 + EIFollowers && text; ++p)
            text = p == e + 2 ? IsContentWhite(data[p]) || IsContentDelimiter(data[p]) : IsContentText(data[p]);
        if (!text)
            continue;
        at = e - 1;
        return p == e + 2 + EIFollowers || last;
    }
    // White space that ends the input may open "EI".
    if (to == available && to > from && !last && IsContentWhite(data[to - 1]))
        at = to - 1;
    return false;
}

FILT_DCTDecode::SegmentCut FILT_DCTDecode::JudgeSegment(const uint8_t* data, FILT_Size body, FILT_Size available,
                                                        bool last) const {
    const FILT_Size end = body + m_segmentLeft;
    if (end >= available)
        return last ? SegmentCutHere : SegmentUndecided;
    if (data[end] != MarkerPrefix)
        return SegmentCutHere;
    if (end + 1 >= available)
        return last ? SegmentWhole : SegmentUndecided;
    return data[end + 1] != 0x00 ? SegmentWhole : SegmentCutHere;
}

FILT_Size FILT_DCTDecode::ScanToEI(const uint8_t* data, FILT_Size n, FILT_Size available, bool last,
                                   FILT_Size& held) {
    held = 0;
    // Where the stretch being scanned began (a marker's 0xFF, or the input's
    // start), and the scan's state there: a cut inside a segment rewinds to
    // it and scans up to the cut; the segment's judgement stands.
    struct Mark {
        Scan scan;
        uint32_t segmentLeft;
        FILT_Size markerBytes;
    };
    Mark mark{m_scan, m_segmentLeft, m_markerBytes};
    FILT_Size markPos = 0;
    // White space before from has been judged.
    FILT_Size from = 0;
    FILT_Size pos = 0;
    auto endAt = [&](FILT_Size at, bool cut) {
        m_scan = mark.scan;
        m_segmentLeft = mark.segmentLeft;
        m_markerBytes = mark.markerBytes;
        ScanToEndOfImage(data + markPos, at - markPos);
        if (cut)
            m_endedAtEI = true;
        else
            held = available - at;
        return at;
    };
    // A segment whose end came with a later input is judged there; the bytes
    // before it were taken whole.
    if (m_scan == ScanSegment && m_segmentCut == SegmentUndecided)
        m_segmentCut = JudgeSegment(data, 0, available, last);
    while (pos < n && m_scan != ScanDone) {
        FILT_Size at = 0;
        if (m_scan == ScanData) {
            const void* marker = std::memchr(data + pos, MarkerPrefix, n - pos);
            const FILT_Size end = marker ? static_cast<FILT_Size>(static_cast<const uint8_t*>(marker) - data) : n;
            const bool cut = FindEI(data, pos, end, available, last, at);
            if (at < end) {
                markPos = pos;
                mark = {m_scan, m_segmentLeft, m_markerBytes};
                return endAt(at, cut);
            }
            if (!marker)
                return n;
            pos = end;
            markPos = from = pos;
            mark = {m_scan, m_segmentLeft, m_markerBytes};
            pos += ScanToEndOfImage(data + pos, 1);
            continue;
        }
        const Scan was = m_scan;
        const FILT_Size step = was == ScanSegment ? std::min<FILT_Size>(m_segmentLeft, n - pos) : 1;
        if (was == ScanMarker)
            m_segmentCode = data[pos];
        pos += ScanToEndOfImage(data + pos, step);
        // A scan header is followed by entropy-coded data, not a marker: as
        // those, it may be cut.
        if (was == ScanMarker && m_scan == ScanLengthHigh)
            m_segmentCut = m_segmentCode == StartOfScan ? SegmentCutHere : SegmentUndecided;
        else if (was == ScanLengthLow && m_segmentCut == SegmentUndecided)
            m_segmentCut = JudgeSegment(data, pos, available, last);
        // Fill bytes, restart markers and the like: data go on. A marker
        // whose code is white space is none: the end-of-image marker lost
        // its code, and the white space may open the "EI" that ends the data.
        if (m_scan == ScanData && was == ScanMarker) {
            const uint8_t code = data[pos - 1];
            if (code != 0 && IsContentWhite(code)) {
                const bool cut = FindEI(data, pos - 1, pos, available, last, at);
                if (at < pos)
                    return endAt(at, cut);
            }
            from = pos;
            continue;
        }
        if (m_scan == ScanDone)
            return pos;
        if (m_segmentCut == SegmentCutHere) {
            const bool cut = FindEI(data, from, pos, available, last, at);
            if (at < pos)
                return endAt(at, cut);
            from = pos;
        } else if (m_segmentCut == SegmentUndecided && (pos == n || was == ScanSegment) && !last) {
            // From an ending in it on, the segment is held back until a later
            // input shows its end, which its length puts at most 64 KB on, and
            // the byte after it, which tells a marker from stuffed data: where
            // the input happens to end decides nothing.
            FindEI(data, from, pos, available, last, at);
            if (at < pos)
                return endAt(at, false);
        } else if (m_segmentCut == SegmentWhole) {
            from = pos;
        }
        if (m_scan == ScanData)
            from = pos;
    }
    return pos;
}

bool FILT_DCTDecode::Collect(FILT_FilterBuffer& in) {
    DropConsumed();
    while (!m_allTaken && !m_endedAtEI && (in.DataAvailable() > 0 || (in.IsEOD() && !m_held.empty()))) {
        if (m_acc.SpaceRemaining() == 0)
            Grow();
        Take(in);
    }
    if ((m_endedAtEI || (in.IsEOD() && in.DataAvailable() == 0)) && !m_allTaken) {
        m_allTaken = true;
        if (m_scan != ScanData)
            m_acc.SeekP(m_acc.TellP() - std::min(m_markerBytes, m_acc.DataAvailable()));
        else
            m_acc.SeekP(m_acc.TellP() - LostEndCodeBytes());
        // Data cut inside a marker segment: libjpeg would read the padding
        // as the segment's body and fail. It meets an end-of-image marker
        // there instead, a marker as in the data, and the data count as
        // ended outside a scan's data.
        if (m_scan != ScanData && m_scan != ScanMarker) {
            if (m_acc.SpaceRemaining() < 2)
                Grow();
            const uint8_t end[] = {MarkerPrefix, EndOfImage};
            m_acc.Write(end, sizeof end);
            m_readPastEnd = true;
        }
    }
    return m_allTaken;
}

FILT_Size FILT_DCTDecode::ScanToEndOfImage(const uint8_t* data, FILT_Size n) {
    for (FILT_Size i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        switch (m_scan) {
        case ScanData: {
            const void* marker = std::memchr(data + i, MarkerPrefix, n - i);
            if (!marker)
                return n;
            i = static_cast<FILT_Size>(static_cast<const uint8_t*>(marker) - data);
            m_scan = ScanMarker;
            m_markerBytes = 1;
            break;
        }
        case ScanMarker:
            ++m_markerBytes;
            if (b == EndOfImage) {
                m_scan = ScanDone;
                return i + 1;
            }
            // Fill bytes, stuffed zeros, restart markers, SOI, TEM and
            // damaged markers have no length.
            if (b != MarkerPrefix)
                m_scan = HasLength(b) ? ScanLengthHigh : ScanData;
            break;
        case ScanLengthHigh:
            ++m_markerBytes;
            m_segmentLeft = static_cast<uint32_t>(b) << 8;
            m_scan = ScanLengthLow;
            break;
        case ScanLengthLow:
            ++m_markerBytes;
            // The length counts its own two bytes.
            m_segmentLeft = (m_segmentLeft | b) > 2 ? (m_segmentLeft | b) - 2 : 0;
            m_scan = m_segmentLeft ? ScanSegment : ScanData;
            break;
        case ScanSegment: {
            const FILT_Size skip = std::min<FILT_Size>(m_segmentLeft, n - i);
            i += skip - 1;
            m_segmentLeft -= skip;
            m_markerBytes += skip;
            if (!m_segmentLeft)
                m_scan = ScanData;
            break;
        }
        case ScanDone:
            return i;
        }
    }
    return n;
}

void FILT_DCTDecode::Settle(bool suspended) {
    m_suspended = suspended;
    if (m_onPadding) {
        // libjpeg took every byte of the data before it came to the padding.
        m_acc.AdvanceGetPtr(m_acc.DataAvailable());
        return;
    }
    const FILT_Size used = static_cast<FILT_Size>(m_source.next_input_byte - m_acc.GetPtr());
    // The end-of-image padding lies beyond the buffer's data.
    const FILT_Size real = std::min(used, m_acc.DataAvailable());
    m_paddingRead = used > real;
    if (real)
        m_acc.AdvanceGetPtr(real);
    if (used)
        m_stalls = 0;
}

void FILT_DCTDecode::ApplyColourRules() {
    if (!m_jpeg.saw_Adobe_marker) {
        if (ColorTransform() == 1) {
            if (m_jpeg.num_components == 3)
                m_jpeg.jpeg_color_space = JCS_YCbCr;
            else if (m_jpeg.num_components == 4)
                m_jpeg.jpeg_color_space = JCS_YCCK;
        } else if (ColorTransform() == 0) {
            // No transform, whatever libjpeg guesses from a JFIF marker or
            // from the component identifiers.
            if (m_jpeg.num_components == 3)
                m_jpeg.jpeg_color_space = JCS_RGB;
            else if (m_jpeg.num_components == 4)
                m_jpeg.jpeg_color_space = JCS_CMYK;
        }
    }
    switch (m_jpeg.jpeg_color_space) {
    case JCS_YCbCr:
        m_jpeg.out_color_space = JCS_RGB;
        break;
    case JCS_YCCK:
        m_jpeg.out_color_space = JCS_CMYK;
        break;
    default:
        m_jpeg.out_color_space = m_jpeg.jpeg_color_space;
        break;
    }
    m_jpeg.dct_method = JDCT_ISLOW;
}

void FILT_DCTDecode::ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) {
    if (m_state == Error)
        GLIB_THROW(GLIB_Exception, FILT_DCTDecodeCode, Name() << ": ProcessBytes called while in the Error state");
    if (m_findsEndOnly) {
        FindEnd(in, out);
        return;
    }
    m_rows.Attach(&out);
    auto call = [this](auto&& libjpegCall) {
        if (!JpegGuard(libjpegCall)) {
            // libjpeg's words name its missing feature, not the image's size.
            if (m_jpeg.err->msg_code == JERR_NO_BACKING_STORE)
                RewordJpegError("FILT_DCTDecode: the JPEG image is too large to decode in the memory allowed");
            else if (m_state == ReadingHeader)
                LeadJpegError(HeaderCutLead);
            m_state = Error;
            RaiseJpegError(reinterpret_cast<j_common_ptr>(&m_jpeg));
        }
    };
    // After a suspended call: true when the caller must bring more input.
    auto waitForInput = [&](const char* stalled) {
        const bool ended = InputEnded(in);
        if (!ended && in.DataAvailable() == 0)
            return true;
        if (ended && ++m_stalls > MaxStalls)
            Fail(stalled);
        return false;
    };
    for (;;) {
        switch (m_state) {
        case NotStarted:
            Start(in);
            break;
        case ReadingHeader: {
            Feed(in);
            int result = JPEG_SUSPENDED;
            call([&] { result = jpeg_read_header(&m_jpeg, TRUE); });
            Settle(result == JPEG_SUSPENDED);
            if (result == JPEG_SUSPENDED) {
                if (waitForInput(HeaderCutStall))
                    return;
                break;
            }
            // libjpeg took the padding for the rest of a marker segment.
            if (m_paddingRead)
                Fail(HeaderCutStall);
            ApplyColourRules();
            m_numComponents = m_jpeg.num_components;
            m_multipleScans = m_jpeg.progressive_mode || m_jpeg.comps_in_scan < m_jpeg.num_components;
            m_state = Starting;
            StartFirstScan();
            if (m_jpeg.arith_code || (m_stopAtDataEnd && m_multipleScans)) {
                m_wholeData = true;
                m_state = Collecting;
            } else {
                m_firstScan.Read(m_acc.GetPtr(), m_acc.DataAvailable());
            }
            break;
        }
        case Collecting:
            if (!Collect(in))
                return;
            m_firstScan.Read(m_acc.GetPtr(), m_acc.DataAvailable());
            CapToData();
            m_state = Starting;
            break;
        case Starting: {
            Feed(in);
            boolean started = FALSE;
            call([&] { started = jpeg_start_decompress(&m_jpeg); });
            Settle(!started);
            if (!started) {
                if (waitForInput("FILT_DCTDecode: JPEG data ended before its first scan"))
                    return;
                break;
            }
            NoteCoefficients();
            m_rows.SetTupleSize(m_jpeg.output_width * static_cast<FILT_Size>(m_jpeg.output_components));
            m_rows.Attach(&out);
            m_state = ReadingRows;
            break;
        }
        case ReadingRows: {
            Feed(in);
            bool suspended = false;
            while (m_jpeg.output_scanline < RowsOfData() && m_rows.TuplesAvailable() > 0) {
                JSAMPROW row = m_rows.GetPtr();
                JDIMENSION got = 0;
                call([&] { got = jpeg_read_scanlines(&m_jpeg, &row, 1); });
                if (got == 0) {
                    suspended = true;
                    break;
                }
                // Decoded when the data ran out, of none of them.
                if (m_jpeg.output_scanline > RowsOfData())
                    break;
                m_rows.Commit(1);
                m_stalls = 0;
            }
            if (!suspended && m_jpeg.output_scanline >= RowsOfData() && RowsOfData() < m_jpeg.output_height) {
                Settle(false);
                m_state = Finished;
                break;
            }
            if (!suspended && m_jpeg.output_scanline >= m_jpeg.output_height) {
                boolean done = FALSE;
                call([&] { done = jpeg_finish_decompress(&m_jpeg); });
                suspended = !done;
                if (done)
                    m_state = Finished;
            }
            Settle(suspended);
            if (m_state == Finished)
                break;
            if (!suspended)
                return;  // the output is full
            char text[160];
            std::snprintf(text, sizeof text,
                          "Insufficient data passed to JPEG decoder. Expecting %u lines, decoded: %u",
                          m_jpeg.output_height, m_jpeg.output_scanline);
            if (waitForInput(text))
                return;
            break;
        }
        case Finished:
            if (m_rows.AllWritten())
                out.SetEOD();
            return;
        default:
            GLIB_LOG(GLIB_LogFatal, "FILT_DCTDecode: Unknown state: " << m_state);
            return;
        }
    }
}

void FILT_DCTDecode::FindEnd(FILT_FilterBuffer& in, FILT_FilterBuffer& out) {
    if (m_state == NotStarted) {
        m_scan = ScanData;
        m_endedAtEI = false;
        m_held.clear();
        m_segmentCut = SegmentWhole;
        m_state = ReadingHeader;
    }
    if (m_state == ReadingHeader) {
        TakeableBytes(in, in.DataAvailable() + static_cast<FILT_Size>(m_held.size()), nullptr);
        if (m_scan == ScanDone || m_endedAtEI || (in.IsEOD() && in.DataAvailable() == 0))
            m_state = Finished;
    }
    if (m_state == Finished)
        out.SetEOD();
}

JDIMENSION FILT_DCTDecode::RowsOfData() const {
    const DataEnd& end = DataRanOut();
    if (!m_stopAtDataEnd || end.scan == 0 || (m_multipleScans && end.scan > 1))
        return m_jpeg.output_height;
    const uint64_t perRow = static_cast<uint64_t>(m_jpeg.max_v_samp_factor) * m_jpeg.min_DCT_scaled_size;
    // The rows smoothing reads past it were decoded from no data: not kept.
    const uint64_t rows = end.iMCURow + uint64_t{DataEndRowEmpty() ? 0u : 1u};
    return static_cast<JDIMENSION>(std::min<uint64_t>(m_jpeg.output_height, rows * perRow));
}

bool FILT_DCTDecode::DataEndRowEmpty() const {
    // Huffman codes take a bit at least, so an interval of no byte runs out
    // in its first MCU; arithmetic decoding reads its first bytes at once.
    const DataEnd& end = DataRanOut();
    if (end.scan != 1 || !m_firstScan.LastIntervalEmpty())
        return false;
    const int64_t start = m_firstScan.LastIntervalStart(m_firstScanInterval);
    return start >= 0 && static_cast<uint64_t>(start) == uint64_t{end.iMCURow} * m_firstScanRowMCUs;
}

void FILT_DCTDecode::StartFirstScan() {
    m_firstScan = FILT_DCTFirstScan();
    m_firstScanInterval = m_jpeg.restart_interval;
    // libjpeg's per-scan MCU layout (jdinput.c), which it sets up only when
    // the scan starts.
    if (m_jpeg.comps_in_scan == 1) {
        const jpeg_component_info* c = m_jpeg.cur_comp_info[0];
        m_firstScanRowMCUs = uint64_t{c->width_in_blocks} * static_cast<uint64_t>(c->v_samp_factor);
    } else {
        const uint64_t mcuWidth = static_cast<uint64_t>(m_jpeg.max_h_samp_factor) * DCTSIZE;
        m_firstScanRowMCUs = (uint64_t{m_jpeg.image_width} + mcuWidth - 1) / mcuWidth;
    }
}

uint32_t FILT_DCTDecode::SmoothedRows() const {
    // libjpeg's block smoothing of a progressive image reaches two block
    // rows from each block.
    return m_jpeg.progressive_mode && m_jpeg.do_block_smoothing ? 2 : 0;
}

void FILT_DCTDecode::CapToData() {
    // Arithmetic coding and refinement scans can code a block in less
    // than a bit.
    if (!m_stopAtDataEnd || !m_multipleScans || m_jpeg.arith_code || m_jpeg.Ss != 0 || m_jpeg.Ah != 0)
        return;
    uint64_t blocksPerRow = 0, blocksPerMCU = 0;
    for (int i = 0; i < m_jpeg.comps_in_scan; ++i) {
        const jpeg_component_info* c = m_jpeg.cur_comp_info[i];
        blocksPerRow += uint64_t{c->width_in_blocks} * static_cast<uint64_t>(c->v_samp_factor);
        blocksPerMCU += static_cast<uint64_t>(c->h_samp_factor) * static_cast<uint64_t>(c->v_samp_factor);
    }
    if (m_jpeg.comps_in_scan == 1)
        blocksPerMCU = 1;
    // Past a restart marker met out of place libjpeg fills the interval
    // with blocks of no bits, and a marker out of sequence skips two more;
    // without a restart interval it fills the rest of the scan.
    const uint64_t restarts = m_firstScan.Restarts();
    const uint64_t filled = !restarts                    ? 0
                            : m_jpeg.restart_interval == 0 ? MaxFilledBlocks
                                                           : std::min<uint64_t>(MaxFilledBlocks, restarts * 3 *
                                                                                m_jpeg.restart_interval * blocksPerMCU);
    const uint64_t blocks = uint64_t{m_acc.DataAvailable()} * 8 + filled;
    // The row where the bits run out is decoded too.
    const uint64_t rows = blocks / std::max<uint64_t>(blocksPerRow, 1) + 1 + SmoothedRows();
    if (rows >= m_jpeg.total_iMCU_rows)
        return;
    // initial_setup's sizes for the lower height; libjpeg derives the rest
    // when it starts.
    const uint64_t maxV = static_cast<uint64_t>(m_jpeg.max_v_samp_factor);
    m_jpeg.image_height = static_cast<JDIMENSION>(rows * maxV * DCTSIZE);
    m_jpeg.total_iMCU_rows = static_cast<JDIMENSION>(rows);
    for (int i = 0; i < m_jpeg.num_components; ++i) {
        jpeg_component_info& c = m_jpeg.comp_info[i];
        c.height_in_blocks = static_cast<JDIMENSION>(rows * static_cast<uint64_t>(c.v_samp_factor));
        c.downsampled_height = static_cast<JDIMENSION>(rows * static_cast<uint64_t>(c.v_samp_factor) * DCTSIZE);
    }
}

void FILT_DCTDecode::NoteCoefficients() {
    // A multi-scan image has read every scan by now. Data that ran out
    // inside a scan are cut short; data that ran out between scans may lack
    // only their end-of-image marker: then every coefficient is at its full
    // precision (bit 0), and the image is whole.
    m_coefficientsWhole = DataRanOut().scan == 0 && !m_readPastEnd;
    if (m_coefficientsWhole || RanOutInScan() || !m_multipleScans || !m_jpeg.progressive_mode || !m_jpeg.coef_bits)
        return;
    m_coefficientsWhole = true;
    for (int c = 0; c < m_jpeg.num_components; ++c)
        for (int k = 0; k < DCTSIZE2; ++k)
            m_coefficientsWhole = m_coefficientsWhole && m_jpeg.coef_bits[c][k] == 0;
}

bool FILT_DCTDecode::RanOutInScan() const {
    const DataEnd& end = DataRanOut();
    if (end.scan == 0)
        return false;
    if (!m_jpeg.arith_code)
        return end.iMCURow < m_jpeg.total_iMCU_rows;
    // Arithmetic decoding reads a byte or two ahead, past the last bytes
    // of whole data into where an end-of-image marker may be missing.
    return end.iMCURow + 1 < m_jpeg.total_iMCU_rows || ZerosUsed() > ArithmeticReadAhead;
}

bool FILT_DCTDecode::DataCutShort() const { return m_multipleScans ? !m_coefficientsWhole : RanOutInScan(); }

void FILT_DCTDecode::InitSource(j_decompress_ptr) {}

void FILT_DCTDecode::TermSource(j_decompress_ptr) {}

// Suspends: more bytes come with a later ProcessBytes, and a skip still
// pending then goes on in Feed. Whole data have no more: libjpeg, which may
// not suspend inside an arithmetic-coded scan, reads end-of-image markers,
// and where it stood when arithmetic decoding, which does not warn of it,
// asked for them is where the data ran out.
boolean FILT_DCTDecode::FillInputBuffer(j_decompress_ptr jpeg) {
    FILT_DCTDecode* self = static_cast<FILT_DCTDecode*>(static_cast<FILT_DCTBase*>(jpeg->client_data));
    if (!self->m_wholeData || !self->m_allTaken)
        return FALSE;
    // Huffman decoding reads ahead of the blocks it decodes, and warns
    // where the bits of one are missing. Arithmetic decoding takes zeros
    // past a marker as it would take them from the data: given as data
    // first, the zeros it takes tell how far past their end it read.
    if (jpeg->arith_code && !self->m_onPadding) {
        self->NoteDataEndAt(jpeg);
        self->NoteZeroPadding(sizeof ZeroPadding);
        self->m_readPastEnd = self->m_onPadding = true;
        jpeg->src->next_input_byte = ZeroPadding;
        jpeg->src->bytes_in_buffer = sizeof ZeroPadding;
        return TRUE;
    }
    self->m_readPastEnd = true;
    self->m_onPadding = true;
    jpeg->src->next_input_byte = EndPadding;
    jpeg->src->bytes_in_buffer = sizeof EndPadding;
    return TRUE;
}

void FILT_DCTDecode::SkipInputData(j_decompress_ptr jpeg, long count) {
    if (count < 1)
        return;
    FILT_DCTDecode* self = static_cast<FILT_DCTDecode*>(static_cast<FILT_DCTBase*>(jpeg->client_data));
    const size_t skip = std::min(static_cast<size_t>(count), jpeg->src->bytes_in_buffer);
    jpeg->src->next_input_byte += skip;
    jpeg->src->bytes_in_buffer -= skip;
    self->m_skipRemaining += static_cast<uint64_t>(count) - skip;
}

FILT_DCTDecode* FILT_DCTDecode::FindIn(FILT_Filter* filter) {
    if (auto* dct = dynamic_cast<FILT_DCTDecode*>(filter))
        return dct;
    if (auto* pipe = dynamic_cast<FILT_FilterPipe*>(filter))
        for (size_t i = 0; i < pipe->NumFilters(); ++i)
            if (FILT_DCTDecode* dct = FindIn(pipe->FilterAt(i)))
                return dct;
    return nullptr;
}
