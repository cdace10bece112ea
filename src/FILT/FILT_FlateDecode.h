// FlateDecode (ISO 32000-1, 7.4.4): inflates a zlib stream with zlib. States
// and failures are those of FILT_FlateFilter, with code 1130010; input that
// ends (EOD) before the deflate stream does gives every byte zlib can make of
// it, whatever the output room, then finishes with its Loss said. Input that
// has given the end of the deflate stream's last block has given all its
// data and finishes, whether its Adler-32 check is there, short or missing
// (COMN_FlateEnd.h), as other readers take it; a wrong check is a Loss.
//
// Inline image data (SetEndsAtEI) that lack their check end at the "EI"
// after them: of the bytes after the last block only those before white
// space, "EI" and white space or a delimiter (or the content's end) that
// begin within four bytes of it are taken for the check, and the data end
// there, whole. Four bytes before such an "EI", or any other, are the
// check, and a wrong one is said.
#pragma once

#include "COMN_FlateEnd.h"
#include "FILT/FILT_FlateFilter.h"

#include <vector>

class FILT_FlateDecode : public FILT_FlateFilter {
public:
    FILT_FlateDecode() : FILT_FlateFilter(FILT_FlateDecodeCode, "infateInit") {}
    ~FILT_FlateDecode() override { EndZStream(); }

    const char* Name() const override { return "FILT_FlateDecode"; }
    const char* Loss() const override {
        return m_damaged      ? "a compressed stream in it is damaged"
               : m_cut        ? "a compressed stream's data stop before their end"
               : m_checkWrong ? "a compressed stream's data do not match their check"
                              : nullptr;
    }
    FILT_End End() const override {
        return m_damaged || m_cut ? FILT_End::Short
               : m_checkWrong     ? FILT_End::Doubtful
               : m_lastBlockEnded ? FILT_End::Whole
                                  : FILT_End::Unknown;
    }

    // With ends true, the data stand in a content stream (an inline
    // image's, this decoder first of its chain) and end at "EI" as above.
    // Set before the first ProcessBytes.
    void SetEndsAtEI(bool ends) { m_endsAtEI = ends; }
    // Ending at EI: bytes after the last block taken from the input that
    // are not data yet, held back until later input shows whether "EI"
    // begins in them; once the data ended, the content's bytes taken with
    // them, which its reader reads before the rest.
    const std::vector<uint8_t>& HeldBytes() const { return m_held; }
    // Bytes after the last block in which "EI" may end data lacking their
    // check: three before it, and "EI" and the byte after it.
    static constexpr size_t EILookahead = 7;

protected:
    // Opens the zlib stream (inflateInit); returns zlib's result.
    virtual int InitZStream(z_stream* stream) { return inflateInit(stream); }

private:
    int BeginZStream(z_stream* stream) override {
        m_lastBlockEnded = 0;
        m_checkWrong = 0;
        m_cut = false;
        m_checkJudged = false;
        m_held.clear();
        m_damaged = false;
        return InitZStream(stream);
    }
    int StepZStream(z_stream* stream, int flush) override;
    // Ending at EI, once the last block has ended: where the data end.
    int StepAtCheck(z_stream* stream, int flush);
    bool FinishesCut() override {
        m_cut = true;
        return true;
    }
    void FinishZStream(z_stream* stream) override { inflateEnd(stream); }
    // Data zlib cannot read, not a want of memory.
    void Failed(int rc) override { m_damaged = rc == Z_DATA_ERROR; }
    void NeedsInput() override;

    int m_lastBlockEnded = 0;
    int m_checkWrong = 0;
    bool m_cut = false;
    bool m_endsAtEI = false;
    // Ending at EI: whether "EI" ends the data after their last block is told.
    bool m_checkJudged = false;
    std::vector<uint8_t> m_held;
    bool m_damaged = false;
};
