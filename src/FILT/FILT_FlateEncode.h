// The FlateDecode encoder: deflates with zlib at compression level 1 into a
// zlib stream, reading and writing the caller's buffers in place.
//
// States: Start (0) opens the zlib stream at the first call; Running (1);
// Finished (2) once the whole stream is written, after inBuf reached EOD:
// outBuf's EOD flag is set on every later call; Error (3).
//
// Throws GLIB_Exception 1130011 "FILT_FlateEncode encountered a zlib error
// (rc): text" when zlib fails, then 1130010 "FILT_FlateEncode: ProcessBytes
// called while in the Error state" on every later call. A failed zlib set-up
// throws GLIB_BadAllocException when zlib is out of memory, else 1130011.
#pragma once

#include "FILT/FILT_Filter.h"

#include <zlib.h>

class FILT_FlateEncode : public FILT_Filter {
public:
    // The level every encoding chain uses.
    static constexpr int32_t DefaultCompressionLevel = 1;

    FILT_FlateEncode();
    ~FILT_FlateEncode() override;
    FILT_FlateEncode(const FILT_FlateEncode&) = delete;
    FILT_FlateEncode& operator=(const FILT_FlateEncode&) = delete;

    const char* Name() const override { return "FILT_FlateEncode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    // Ends the zlib stream when it is open; the state stays.
    void EndZStream();

protected:
    // Opens the zlib stream (deflateInit at the level); returns zlib's result.
    virtual int InitZStream(z_stream* stream, int32_t level);

private:
    enum : uint32_t { StateStart = 0, StateRunning = 1, StateFinished = 2, StateError = 3 };

    void Initialise();
    void Run(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf);

    uint32_t m_state = StateStart;
    bool m_streamOpen = false;
    z_stream m_zStream;
    int32_t m_compressionLevel = DefaultCompressionLevel;
};
