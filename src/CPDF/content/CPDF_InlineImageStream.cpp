#include "CPDF/content/CPDF_InlineImageStream.h"

#include "CPDF/CPDF_Exception.h"
#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_DCTDecode.h"
#include "FILT/FILT_FilterPipe.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_LZWDecode.h"
#include "FILT/FILT_LossTeller.h"
#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_SubFileFilter.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Filter.h"

#include <algorithm>
#include <limits>

namespace {

// The filter that reads the content's bytes.
FILT_Filter* FirstFilter(FILT_Filter* filter) {
    auto* pipe = dynamic_cast<FILT_FilterPipe*>(filter);
    return pipe && pipe->NumFilters() > 0 ? FirstFilter(pipe->FilterAt(0)) : filter;
}

}  // namespace

CPDF_InlineImageStream::CPDF_InlineImageStream(const CPDF_ImageParams& params, const GLOB_Stream& source,
                                               const GLOB_Object& filter, const GLOB_Object& decodeParms,
                                               uint32_t openFlags, uint32_t bufferSize)
    : m_source(source), m_decoded(bufferSize), m_raw(bufferSize), m_openFlags(openFlags) {
    MakeFilter(params, filter, decodeParms);
    Open(Input);
}

CPDF_InlineImageStream::~CPDF_InlineImageStream() {
    DeleteFilter();
    Close();
}

void CPDF_InlineImageStream::Reset(const CPDF_ImageParams& params, const GLOB_Stream& source,
                                   const GLOB_Object& filter, const GLOB_Object& decodeParms, uint32_t openFlags) {
    DeleteFilter();
    m_source = source;
    m_input = nullptr;
    m_raw.Reset();
    m_decoded.Reset();
    m_openFlags = openFlags;
    MakeFilter(params, filter, decodeParms);
}

uint64_t CPDF_InlineImageStream::DataLength(const CPDF_ImageParams& params) {
    const uint64_t bits = static_cast<uint64_t>(params.BitsPerComponent()) * static_cast<uint32_t>(params.Width()) *
                          params.NumComponents();
    return (bits + 7) / 8 * static_cast<uint32_t>(params.Height());
}

void CPDF_InlineImageStream::MakeFilter(const CPDF_ImageParams& params, const GLOB_Object& filter,
                                        const GLOB_Object& decodeParms) {
    if (!filter.IsNull()) {
        m_filter = GLOB_Filter::MakeReadingChain(filter, decodeParms);
        if (m_filter != nullptr) {
            // LZW, ASCIIHex, ASCII85 and run-length data need not hold their
            // end: read from the content, they end once they give the image's
            // bytes.
            auto* chain = static_cast<FILT_LossTeller*>(m_filter);
            // Finding the end decodes for nothing: the image's reader says
            // what its data lost.
            if (m_openFlags != 2)
                chain->LeaveToReader();
            if (auto* lzw = dynamic_cast<FILT_LZWDecode*>(chain->FilterAt(0)); lzw && chain->NumFilters() == 1)
                lzw->SetNeeded(DataLength(params));
            if (auto* hex = dynamic_cast<FILT_ASCIIHexDecode*>(chain->FilterAt(0)); hex && chain->NumFilters() == 1)
                hex->SetNeeded(DataLength(params));
            if (auto* a85 = dynamic_cast<FILT_ASCII85Decode*>(chain->FilterAt(0)); a85 && chain->NumFilters() == 1) {
                a85->SetNeeded(DataLength(params));
                m_a85 = a85;
            }
            if (auto* rl = dynamic_cast<FILT_RunLengthDecode*>(chain->FilterAt(0)); rl && chain->NumFilters() == 1)
                rl->SetNeeded(DataLength(params));
            if (FILT_DCTDecode* dct = FILT_DCTDecode::FindIn(m_filter)) {
                // JPEG data need not reach their end-of-image marker: read
                // from the content, they end at "EI" all the same.
                dct->SetEndsAtEI(dct == FirstFilter(m_filter));
                if (dct == FirstFilter(m_filter))
                    m_dct = dct;
                // Raw reading needs only the data's end; the image's reader
                // decodes them and says what libjpeg finds in them.
                dct->SetFindsEndOnly(m_openFlags != 2);
            }
            // Flate data lacking their check end at "EI" likewise.
            m_flate = dynamic_cast<FILT_FlateDecode*>(FirstFilter(m_filter));
            if (m_flate)
                m_flate->SetEndsAtEI(true);
            return;
        }
    }
    const uint64_t length = DataLength(params);
    if (length > std::numeric_limits<uint32_t>::max())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                   "CPDF_InlineImageStream: " << length << " bytes of inline image data are more than a stream holds");
    FILT_SubFileFilter* subFile = GLIB_NEW FILT_SubFileFilter;
    subFile->SetLength(static_cast<uint32_t>(length));
    m_filter = subFile;
}

void CPDF_InlineImageStream::DeleteFilter() {
    delete m_filter;
    m_filter = nullptr;
    m_dct = nullptr;
    m_flate = nullptr;
    m_a85 = nullptr;
    m_carried.clear();
    m_contentTaken.clear();
}

void CPDF_InlineImageStream::NoteEnd() {
    if (m_dct && m_dct->EndedAtEI())
        m_contentTaken = m_dct->HeldBytes();
    if (m_flate)
        m_contentTaken = m_flate->HeldBytes();
    if (m_a85)
        m_contentTaken = m_a85->HeldBytes();
}

FILT_Size CPDF_InlineImageStream::HeldBack() const {
    return m_dct     ? static_cast<FILT_Size>(m_dct->HeldBytes().size())
           : m_flate ? static_cast<FILT_Size>(m_flate->HeldBytes().size())
           : m_a85   ? static_cast<FILT_Size>(m_a85->HeldBytes().size())
                     : 0;
}

FILT_FilterBuffer* CPDF_InlineImageStream::FillBuffer() { return m_openFlags == 2 ? FillDecoded() : FillRaw(); }

FILT_FilterBuffer* CPDF_InlineImageStream::FillDecoded() {
    if (m_decoded.DataAvailable() > 0 || m_decoded.IsEOD())
        return &m_decoded;
    m_decoded.Reset();
    do {
        if (m_input == nullptr || (m_input->DataAvailable() == 0 && !m_input->IsEOD()))
            m_input = m_source.Read();
        m_filter->ProcessBytes(*m_input, m_decoded);
    } while (m_decoded.DataAvailable() == 0 && !m_decoded.IsEOD());
    if (m_decoded.IsEOD())
        NoteEnd();
    return &m_decoded;
}

FILT_FilterBuffer* CPDF_InlineImageStream::FillRaw() {
    if (m_raw.DataAvailable() > 0 || m_raw.IsEOD())
        return &m_raw;
    for (;;) {
        FILT_FilterBuffer& source = *m_source.Read();
        const FILT_Size from = source.TellG();
        m_raw = source;
        const uint8_t* const start = m_raw.GetPtr();
        // Only to find the end: the decoded bytes are dropped. At the source's
        // end the filter is driven until it finishes.
        do {
            m_decoded.Reset();
            m_filter->ProcessBytes(source, m_decoded);
        } while (!m_decoded.IsEOD() && (source.DataAvailable() > 0 || source.IsEOD()));
        const bool ended = m_decoded.IsEOD();
        if (ended)
            NoteEnd();
        // The bytes the decoder holds back, the last taken, go out once they
        // prove to be data, after those carried from earlier windows.
        const FILT_Size taken = source.TellG() - from;
        const FILT_Size held = HeldBack();
        const FILT_Size carried = static_cast<FILT_Size>(m_carried.size());
        const FILT_Size out = carried + taken - held;
        if (carried == 0) {
            m_raw.SeekP(source.TellG() - held);
            m_carried.assign(start + taken - held, start + taken);
        } else {
            m_carried.insert(m_carried.end(), start, start + taken);
            m_joined.swap(m_carried);
            m_raw = FILT_FilterBuffer(m_joined.data(), static_cast<FILT_Size>(m_joined.size()), false);
            m_raw.AdvancePutPtr(out);
            m_carried.assign(m_joined.begin() + out, m_joined.end());
        }
        // What the decoder holds once the data ended is the content's.
        if (ended)
            m_carried.clear();
        m_raw.SetEOD(ended);
        if (out > 0 || ended)
            return &m_raw;
    }
}

void CPDF_InlineImageStream::FlushBuffer(FILT_FilterBuffer&) {
    GLIB_LOG(GLIB_LogFatal, "Cannot write to an inline image stream.");
}
