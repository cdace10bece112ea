// Drives the host's document progress bar from a separation job's progress
// messages. A host without a progress bar gets no call at all.
#pragma once

#include "GLIB/GLIB_Observable.h"
#include "viewer/host_api.h"

class CSEP_ProgressMessage;
class CSEP_SepJobContext;

class ZOVA_ProgressMonitor : public GLIB_MessageTarget {
public:
    // Asks the host for its bar; when there is one, sets its duration to 100
    // and begins the operation.
    ZOVA_ProgressMonitor();
    // Ends the operation unless End already did.
    ~ZOVA_ProgressMonitor() override;

    // Makes this monitor the job's one progress receiver, step 1.0.
    void Attach(CSEP_SepJobContext& job);
    // The bar's value: the percentage truncated toward zero (99.9 sets 99).
    void OnProgress(const CSEP_ProgressMessage& message);
    // Value 100, the operation ended, the bar forgotten: later calls and
    // the destructor do nothing.
    void End();

private:
    PDFL_ProgressMonitor m_monitor = nullptr;
    void* m_clientData = nullptr;
};
