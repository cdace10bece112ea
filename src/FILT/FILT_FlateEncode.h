// The FlateDecode encoder: deflates with zlib at compression level 1 into a
// zlib stream. States and failures are those of FILT_FlateFilter, with code
// 1130011 for zlib failures; the stream ends once inBuf reached EOD.
#pragma once

#include "FILT/FILT_FlateFilter.h"

class FILT_FlateEncode : public FILT_FlateFilter {
public:
    // The level every encoding chain uses.
    static constexpr int32_t DefaultCompressionLevel = 1;

    FILT_FlateEncode() : FILT_FlateFilter(FILT_FlateEncodeCode, "delfateInit") {}
    ~FILT_FlateEncode() override { EndZStream(); }

    const char* Name() const override { return "FILT_FlateEncode"; }

protected:
    // Opens the zlib stream (deflateInit at the level); returns zlib's result.
    virtual int InitZStream(z_stream* stream, int32_t level) { return deflateInit(stream, level); }

private:
    int BeginZStream(z_stream* stream) override { return InitZStream(stream, m_compressionLevel); }
    int StepZStream(z_stream* stream, int flush) override { return deflate(stream, flush); }
    void FinishZStream(z_stream* stream) override { deflateEnd(stream); }

    int32_t m_compressionLevel = DefaultCompressionLevel;
};
