// The read-only stream over the data of one inline image. The data stand in
// the content stream between "ID" and "EI" with no stored length, so the
// stream finds their end itself: it runs a filter over the content stream's
// bytes and stops where that filter reports the end of its data. The filter
// is the image's decode chain, or for an image without one a sub-file
// filter of the computed length:
//     ceil(BitsPerComponent × Width × components / 8) × Height bytes,
// computed in 64 bits; a length beyond 32 bits throws CPDF_Exception
// 1128008 at construction.
//
// Open flags 0 and 1 hand out the image's bytes as they stand in the content,
// as windows onto the content stream's own buffers (valid until its next
// read, or copies where the end of a buffer held bytes back); 2 hands out
// the decoded bytes. Either way exactly the image's bytes are taken from the
// content stream, which then stands at the first byte after them; but JPEG
// and Flate data may end at an "EI" that their decoder had to take to see
// it end them (cut by a buffer's end): ContentTaken gives those bytes back.
//
// A DCT decoder first in the chain ends the data at their end-of-image
// marker or, when that is missing (cut data), at white space and "EI"
// followed by content text (FILT_DCTDecode::SetEndsAtEI); raw reading only
// finds that end, decoding nothing (FILT_DCTDecode::SetFindsEndOnly). A
// Flate decoder first in the chain ends data that lack their check at the
// "EI" after their last block (FILT_FlateDecode::SetEndsAtEI). ASCII85 data
// alone hold back what follows their last bytes till it shows as theirs.
//
// Content that ends inside an unfiltered image gives the bytes present and
// the end of data, with the sub-file filter's warning "Unexpected end of
// data."; a decoder's damaged data end where it fails, and what the data
// lost is logged (GLOB_Filter::MakeReadingChain). The stream is never
// written: writes fail GLOB_StreamCore's assertion, and FlushBuffer logs
// "Cannot write to an inline image stream." as fatal. Closing it leaves the
// content stream open.
#pragma once

#include "CPDF/image/CPDF_ImageParams.h"
#include "FILT/FILT_Filter.h"
#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamCore.h"

#include <cstdint>
#include <vector>

class FILT_ASCII85Decode;
class FILT_DCTDecode;
class FILT_FlateDecode;

class CPDF_InlineImageStream : public GLOB_StreamCore {
public:
    // Open for input over source, positioned at the image's first byte;
    // filter (full names) and decodeParms as GLOB_Filter::MakeReadingChain
    // takes them, Null for an unfiltered image. The factory's exceptions
    // pass.
    CPDF_InlineImageStream(const CPDF_ImageParams& params, const GLOB_Stream& source, const GLOB_Object& filter,
                           const GLOB_Object& decodeParms, uint32_t openFlags, uint32_t bufferSize);
    ~CPDF_InlineImageStream() override;

    // Points the stream at another image without reopening it.
    void Reset(const CPDF_ImageParams& params, const GLOB_Stream& source, const GLOB_Object& filter,
               const GLOB_Object& decodeParms, uint32_t openFlags);

    // Once the data ended at white space and "EI" that its DCT decoder took
    // from the content to see that they end there: those bytes, from the
    // white space on, which the content's reader reads before the rest.
    const std::vector<uint8_t>& ContentTaken() const { return m_contentTaken; }

    // The data length of an unfiltered image, in 64 bits.
    static uint64_t DataLength(const CPDF_ImageParams& params);

protected:
    FILT_FilterBuffer* FillBuffer() override;
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    void DoClose() override {}

private:
    // The refills of decoded and of raw reading.
    FILT_FilterBuffer* FillDecoded();
    FILT_FilterBuffer* FillRaw();
    void MakeFilter(const CPDF_ImageParams& params, const GLOB_Object& filter, const GLOB_Object& decodeParms);
    void DeleteFilter();
    // Keeps what the decoder took past the data's end.
    void NoteEnd();
    // The bytes the first decoder took from the content and holds back.
    FILT_Size HeldBack() const;

    GLOB_Stream m_source;
    FILT_Filter* m_filter = nullptr;
    FILT_FilterBuffer m_decoded;
    // Owned storage until the first raw refill, a window onto the source's
    // buffer after it.
    FILT_FilterBuffer m_raw;
    // The source's buffer that decoded reading is consuming; null before the
    // first read.
    FILT_FilterBuffer* m_input = nullptr;
    uint32_t m_openFlags = 0;
    // The DCT decoder that reads the content's bytes, if any.
    FILT_DCTDecode* m_dct = nullptr;
    // The chain's first filter when it is a Flate decoder.
    FILT_FlateDecode* m_flate = nullptr;
    FILT_ASCII85Decode* m_a85 = nullptr;
    // Raw reading: bytes the decoder held back, taken from earlier windows,
    // and the window that hands them out with the next.
    std::vector<uint8_t> m_carried;
    std::vector<uint8_t> m_joined;
    std::vector<uint8_t> m_contentTaken;
};
