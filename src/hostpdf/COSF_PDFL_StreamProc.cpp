#include "hostpdf/COSF_PDFL_StreamProc.h"

#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <cstddef>

COSF_PDFL_StreamProc::COSF_PDFL_StreamProc(const GLOB_Stream& source) : m_source(source) {}

COSF_PDFL_StreamProc::~COSF_PDFL_StreamProc() {
    if (m_hostStream)
        PDFL_ASStmClose(m_hostStream);
}

PDFL_ASStm COSF_PDFL_StreamProc::HostStream() {
    if (!m_hostStream)
        m_hostStream = PDFL_ASProcStmRdOpen(&COSF_PDFL_StreamProc::ProcStreamRead, this);
    return m_hostStream;
}

int32_t COSF_PDFL_StreamProc::ProcStreamRead(char* buffer, int32_t size, void* clientData) {
    return PDFL_CallbackGuard("COSF_PDFL_StreamProc", "ProcStreamRead", [=] {
        COSF_PDFL_StreamProc* ourObj = static_cast<COSF_PDFL_StreamProc*>(clientData);
        GLIB_ASSERT(ourObj != NULL);
        return ourObj->Fill(buffer, size);
    });
}

int32_t COSF_PDFL_StreamProc::Fill(char* buffer, int32_t size) {
    FILT_FilterBuffer room(reinterpret_cast<uint8_t*>(buffer),
                           size > 0 && buffer ? static_cast<FILT_Size>(size) : 0, false);
    while (room.SpaceRemaining() > 0) {
        FILT_FilterBuffer* next = m_source.Read();
        if (next->IsEOD() && next->DataAvailable() == 0)
            break;
        next->TransferTo(room);
    }
    return static_cast<int32_t>(room.PutPtr() - room.BasePtr());
}
