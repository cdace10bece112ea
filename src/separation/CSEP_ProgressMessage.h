// Progress of a separation job: the share, 0 to 100, of the source page's
// stream bytes read so far. Posted by CSEP_DocProgressMeter to its observer.
#pragma once

#include "GLIB/GLIB_Message.h"

#include <string>

class CSEP_ProgressMessage : public GLIB_Message {
public:
    explicit CSEP_ProgressMessage(double percentDone) : m_percentDone(percentDone) {}

    double PercentDone() const { return m_percentDone; }
    // "CSEP_ProgressMessage: %f.2%% complete.": the format's ".2" is text
    // after the "%f", so 42.5 reads "CSEP_ProgressMessage: 42.500000.2%
    // complete.". Made only when asked for.
    std::string Description() const override;

private:
    double m_percentDone;
};
