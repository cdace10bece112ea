#include "separation/CSEP_StreamListener.h"

#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Object.h"
#include "separation/CSEP_DocProgressMeter.h"

#include <algorithm>

CSEP_StreamListener::CSEP_StreamListener(const GLOB_Object& object, GLOB_Stream& stream,
                                         CSEP_DocProgressMeter* meter, uint32_t unexpected)
    : m_byteLimit(unexpected ? 0 : object.GetImpl()->StreamLength(object)), m_meter(meter),
      m_unexpected(unexpected) {
    stream.Attach(GLIB_NEW GLIB_Callback<CSEP_StreamListener, GLOB_StreamReadMessage>(this, &CSEP_StreamListener::OnRead));
    stream.Attach(
        GLIB_NEW GLIB_Callback<CSEP_StreamListener, GLOB_StreamCloseMessage>(this, &CSEP_StreamListener::OnClose));
}

void CSEP_StreamListener::OnRead(const GLOB_StreamReadMessage& message) {
    if (!m_unexpected) {
        const uint32_t at = message.Stream().RawTell();
        if (at > m_bytesRead)
            m_meter->CountBytes(at - m_bytesRead);
        m_bytesRead = std::max(m_bytesRead, at);
        if (m_bytesRead >= m_byteLimit) {
            GLOB_Stream stream = message.Stream();
            stream.Detach(*this);
            m_meter->StreamDone(this);
        }
    }
    m_meter->Update();
}

void CSEP_StreamListener::OnClose(const GLOB_StreamCloseMessage& message) {
    GLOB_Stream stream = message.Stream();
    stream.Detach(*this);
    m_meter->StreamDone(this);
}
