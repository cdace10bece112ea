#include "separation/CSEP_LeadMessage.h"

#include "separation/CSEP_DocProgressMeter.h"

#include <cctype>

namespace {

// The length of a leading source unit's name and its ": " ("CSEP_X: "),
// or 0: the log's readers find it first, and the lead comes after it.
size_t UnitNameLength(const std::string& message) {
    const size_t colon = message.find(": ");
    const size_t underscore = message.find('_');
    if (colon == std::string::npos || underscore == std::string::npos || underscore == 0 || underscore > colon)
        return 0;
    for (size_t i = 0; i < colon; ++i)
        if (!std::isalnum(static_cast<unsigned char>(message[i])) && message[i] != '_')
            return 0;
    return colon + 2;
}

}  // namespace

void CSEP_LeadMessage(GLIB_Exception& e, const std::string& construct) {
    if (construct.empty() || CSEP_DocProgressMeter::IsCancel(e))
        return;
    const std::string lead = construct + ": ";
    const std::string message = e.What() ? e.What() : "";
    const size_t unit = UnitNameLength(message);
    if (message.compare(unit, lead.size(), lead) != 0)
        e.SetMessage(message.substr(0, unit) + lead + message.substr(unit));
}
