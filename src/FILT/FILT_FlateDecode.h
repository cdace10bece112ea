// FlateDecode (ISO 32000-1, 7.4.4): inflates a zlib stream with zlib,
// reading and writing the caller's buffers in place.
//
// States: Start (0) opens the zlib stream at the first call; Running (1);
// Finished (2) once zlib reports the end of the deflate stream: outBuf's EOD
// flag is set on every later call and bytes after the stream stay unread in
// inBuf; Error (3).
//
// Throws GLIB_Exception 1130010 "FILT_FlateDecode encountered a zlib error
// (rc): text" for corrupt data and for input that ends (EOD) before the
// deflate stream does, then "FILT_FlateDecode: ProcessBytes called while in
// the Error state" on every later call. A failed zlib set-up throws
// GLIB_BadAllocException when zlib is out of memory, else 1130010.
#pragma once

#include "FILT/FILT_Filter.h"

#include <zlib.h>

class FILT_FlateDecode : public FILT_Filter {
public:
    FILT_FlateDecode();
    ~FILT_FlateDecode() override;
    FILT_FlateDecode(const FILT_FlateDecode&) = delete;
    FILT_FlateDecode& operator=(const FILT_FlateDecode&) = delete;

    const char* Name() const override { return "FILT_FlateDecode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    // Ends the zlib stream when it is open; the state stays.
    void EndZStream();

protected:
    // Opens the zlib stream (inflateInit); returns zlib's result.
    virtual int InitZStream(z_stream* stream);

private:
    enum : uint32_t { StateStart = 0, StateRunning = 1, StateFinished = 2, StateError = 3 };

    void Initialise();
    void Run(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf);

    uint32_t m_state = StateStart;
    bool m_streamOpen = false;
    z_stream m_zStream;
};
