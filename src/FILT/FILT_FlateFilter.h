// What the Flate decoder and encoder share: a zlib stream driven over the
// caller's buffers in place, and the state word.
//
// States: Start (0) opens the zlib stream at the first call; Running (1);
// Finished (2) once zlib reports the end of the stream: outBuf's EOD flag is
// set on every later call and bytes after the stream stay unread in inBuf;
// Error (3): every later call throws 1130010 "<Name>: ProcessBytes called
// while in the Error state" (the code both directions share).
//
// A zlib failure throws "<Name> encountered a zlib error (rc): text" with the
// direction's code. A failed set-up throws GLIB_BadAllocException when zlib
// is out of memory, else the direction's code.
#pragma once

#include "FILT/FILT_Filter.h"

#include <zlib.h>

class FILT_FlateFilter : public FILT_Filter {
public:
    FILT_FlateFilter(const FILT_FlateFilter&) = delete;
    FILT_FlateFilter& operator=(const FILT_FlateFilter&) = delete;

    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    // Ends the zlib stream when it is open; the state stays.
    void EndZStream();

protected:
    // code: the direction's exception code; initCall: the set-up's name in
    // the failure text.
    FILT_FlateFilter(uint32_t code, const char* initCall);
    // Derived destructors call EndZStream: the zlib calls are theirs.
    ~FILT_FlateFilter() override = default;

    // The zlib calls of the direction: set-up, one step, tear-down.
    virtual int BeginZStream(z_stream* stream) = 0;
    virtual int StepZStream(z_stream* stream, int flush) = 0;
    virtual void FinishZStream(z_stream* stream) = 0;
    // A step that could not go on for lack of input (Z_BUF_ERROR without
    // input, data not at its end): more input will come.
    virtual void NeedsInput() {}
    // Input that ended before the stream's end (Z_FINISH could not end it):
    // true to finish with what came, false to fail.
    virtual bool FinishesCut() { return false; }
    // zlib failed with rc on the data; the failure is thrown next.
    virtual void Failed(int /*rc*/) {}

private:
    enum : uint32_t { StateStart = 0, StateRunning = 1, StateFinished = 2, StateError = 3 };
    // Longest text of a zlib failure message.
    static constexpr size_t MaxMessageBytes = 512;

    void Initialise();
    void Run(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf);

    uint32_t m_code;
    const char* m_initCall;
    uint32_t m_state = StateStart;
    bool m_streamOpen = false;
    z_stream m_zStream;
};
