// FlateDecode (ISO 32000-1, 7.4.4): inflates a zlib stream with zlib. States
// and failures are those of FILT_FlateFilter, with code 1130010; input that
// ends (EOD) before the deflate stream does gives every byte zlib can make of
// it, whatever the output room, then throws the zlib error. Input that has
// given the end of the deflate stream's last block has given all its data
// and finishes, whether its Adler-32 check is there, short, missing or
// wrong (COMN_FlateEnd.h), as other readers take it.
#pragma once

#include "COMN_FlateEnd.h"
#include "FILT/FILT_FlateFilter.h"

class FILT_FlateDecode : public FILT_FlateFilter {
public:
    FILT_FlateDecode() : FILT_FlateFilter(FILT_FlateDecodeCode, "infateInit") {}
    ~FILT_FlateDecode() override { EndZStream(); }

    const char* Name() const override { return "FILT_FlateDecode"; }

protected:
    // Opens the zlib stream (inflateInit); returns zlib's result.
    virtual int InitZStream(z_stream* stream) { return inflateInit(stream); }

private:
    int BeginZStream(z_stream* stream) override {
        m_lastBlockEnded = 0;
        return InitZStream(stream);
    }
    int StepZStream(z_stream* stream, int flush) override {
        return COMN_FlateInflate(stream, flush, &m_lastBlockEnded);
    }
    void FinishZStream(z_stream* stream) override { inflateEnd(stream); }
    void NeedsInput() override;

    int m_lastBlockEnded = 0;
};
