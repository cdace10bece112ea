#include "separation/CSEP_DocProgressMeter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_DocMessage.h"
#include "GLOB/GLOB_Impl.h"
#include "separation/CSEP_ProgressMessage.h"
#include "separation/CSEP_StreamListener.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const CancelMessage = "Cancel requested";

}  // namespace

CSEP_DocProgressMeter::CSEP_DocProgressMeter() = default;

CSEP_DocProgressMeter::~CSEP_DocProgressMeter() { Stop(); }

void CSEP_DocProgressMeter::SetObserver(GLIB_CallbackBase* callback, double step) {
    m_step = step;
    m_observers.Clear();
    m_observers.Attach(callback);
}

void CSEP_DocProgressMeter::Start(GLOB_Doc& document) {
    Stop();
    // A second registration would create two listeners per opened stream.
    if (m_doc.Impl() != nullptr)
        m_doc.Detach(*this);
    m_bytesDone = 0;
    m_bytesExpected = 0;
    m_updateCount = 0;
    m_lastPosted = 0.0;
    document.Attach(GLIB_NEW GLIB_Callback<CSEP_DocProgressMeter, GLOB_DocStreamDidOpenMessage>(
        this, &CSEP_DocProgressMeter::OnStreamDidOpen));
    m_doc = document;
}

void CSEP_DocProgressMeter::AddStream(const GLOB_Object& stream) {
    if (!stream.IsStream()) {
        GLIB_LOG(GLIB_LogWarning,
                 "Expecting to monitor Streams, found type " << GLOB_Object::TypeString(stream.Type()));
        return;
    }
    uint32_t* const openings = m_watched.Find(stream);
    if (openings != nullptr)
        ++*openings;
    else
        m_watched.Insert(stream, 1);
    m_bytesExpected = SaturatingAdd(m_bytesExpected, stream.GetImpl()->StreamLength(stream));
}

bool CSEP_DocProgressMeter::IsWatched(const GLOB_Object& stream) const {
    const uint32_t* const openings = m_watched.Find(stream);
    return openings != nullptr && *openings > 0;
}

void CSEP_DocProgressMeter::Stop() {
    m_active.clear();
    m_finished.clear();
    m_watched.Clear();
    m_bytesDone = m_bytesExpected;
}

void CSEP_DocProgressMeter::StopListening() {
    Stop();
    if (m_doc.Impl() != nullptr)
        m_doc.Detach(*this);
    m_doc = GLOB_Doc();
}

uint32_t CSEP_DocProgressMeter::BytesRead() const {
    const uint32_t total = m_bytesDone;
    if (total > m_bytesExpected) {
        GLIB_LOG(GLIB_LogDebug, "Progess meter has read more bytes than expected.  Read "
                                      << total << " expecting " << m_bytesExpected);
        return m_bytesExpected;
    }
    return total;
}

double CSEP_DocProgressMeter::PercentDone() const {
    if (m_bytesExpected == 0)
        return 100.0;
    const double percent = 100.0 * static_cast<double>(BytesRead()) / static_cast<double>(m_bytesExpected);
    return std::min(std::max(percent, 0.0), 100.0);
}

bool CSEP_DocProgressMeter::IsCancel(const GLIB_Exception& e) {
    return e.Code() == CancelCode && std::strcmp(e.What(), CancelMessage) == 0;
}

void CSEP_DocProgressMeter::Update() {
    if (m_pollInterval != 0 && ++m_updateCount > m_pollInterval) {
        m_updateCount = 0;
        PollCancel();
    }
    const double percent = PercentDone();
    if (percent - m_lastPosted >= m_step) {
        m_observers.Notify(CSEP_ProgressMessage(percent));
        m_lastPosted = percent;
    }
}

void CSEP_DocProgressMeter::PollCancel() {
    if (m_cancelMgr.ShouldCancel())
        GLIB_THROW(GLIB_Exception, CancelCode, CancelMessage);
}

void CSEP_DocProgressMeter::StreamDone(CSEP_StreamListener* listener) {
    m_finished.clear();
    const auto it = m_active.find(listener);
    if (it == m_active.end())
        return;
    m_finished.push_back(std::move(it->second));
    m_active.erase(it);
}

void CSEP_DocProgressMeter::OnStreamDidOpen(const GLOB_DocStreamDidOpenMessage& message) {
    GLOB_Stream stream = message.Stream();
    if (stream.IsNull())
        return;
    uint32_t* const openings = message.Object().IsStream() ? m_watched.Find(message.Object()) : nullptr;
    const uint32_t unexpected = openings != nullptr && *openings > 0 ? 0 : 1;
    std::unique_ptr<CSEP_StreamListener> listener(
        GLIB_NEW CSEP_StreamListener(message.Object(), stream, this, unexpected));
    const CSEP_StreamListener* const key = listener.get();
    m_active.emplace(key, std::move(listener));
    if (!unexpected)
        --*openings;
}
