#include "Exchange/ZOVA/ZOVA_ProgressMonitor.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "GLIB/GLIB_New.h"
#include "separation/CSEP_ProgressMessage.h"
#include "separation/CSEP_SepJobContext.h"

#include <cmath>
#include <cstdint>

ZOVA_ProgressMonitor::ZOVA_ProgressMonitor() {
    m_monitor = XCHG_AVAppGetDocProgressMonitor(&m_clientData);
    if (m_monitor) {
        m_monitor->m_setDuration(100, m_clientData);
        m_monitor->m_beginOperation(m_clientData);
    }
}

ZOVA_ProgressMonitor::~ZOVA_ProgressMonitor() {
    if (m_monitor)
        m_monitor->m_endOperation(m_clientData);
}

void ZOVA_ProgressMonitor::Attach(CSEP_SepJobContext& job) {
    job.SetProgressObserver(
        GLIB_NEW GLIB_Callback<ZOVA_ProgressMonitor, CSEP_ProgressMessage>(this, &ZOVA_ProgressMonitor::OnProgress),
        1.0);
}

void ZOVA_ProgressMonitor::OnProgress(const CSEP_ProgressMessage& message) {
    if (!m_monitor)
        return;
    // The cast of a value outside int32_t is undefined: keep it in range.
    const double percent = std::trunc(message.PercentDone());
    if (std::isnan(percent))
        return;
    const int32_t value = percent <= INT32_MIN ? INT32_MIN
                          : percent >= INT32_MAX ? INT32_MAX
                                                 : static_cast<int32_t>(percent);
    m_monitor->m_setCurrValue(value, m_clientData);
}

void ZOVA_ProgressMonitor::End() {
    if (!m_monitor)
        return;
    m_monitor->m_setCurrValue(100, m_clientData);
    m_monitor->m_endOperation(m_clientData);
    m_monitor = nullptr;
    m_clientData = nullptr;
}
