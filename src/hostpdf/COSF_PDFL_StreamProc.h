// Lets the host read a GLOB_Stream as one of its procedure streams: the
// host stream is opened on first request and closed with this object, which
// must live until the host has read it.
#pragma once

#include "GLOB/GLOB_Stream.h"
#include "viewer/host_api.h"

#include <cstdint>

class COSF_PDFL_StreamProc {
public:
    // Shares the caller's stream; no host stream yet.
    explicit COSF_PDFL_StreamProc(const GLOB_Stream& source);
    // Closes the host stream when one was opened, then lets the source go.
    ~COSF_PDFL_StreamProc();
    COSF_PDFL_StreamProc(const COSF_PDFL_StreamProc&) = delete;
    COSF_PDFL_StreamProc& operator=(const COSF_PDFL_StreamProc&) = delete;

    // Opened for reading with ProcStreamRead on the first call; the same
    // handle afterwards.
    PDFL_ASStm HostStream();

    // The host's read procedure (client data: the object), under the
    // callback guard: fills the host's buffer from the source until it is
    // full or the source ends. The bytes placed; 0 at the end.
    static int32_t ProcStreamRead(char* buffer, int32_t size, void* clientData);

private:
    int32_t Fill(char* buffer, int32_t size);

    PDFL_ASStm m_hostStream = nullptr;
    GLOB_Stream m_source;
};
