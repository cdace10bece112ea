// The registered text of the host error a call raises, for tests that
// check what the host says.
#pragma once

#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_HostError.h"

#include <string>

// The text of the host error call raised; "" when it raises none.
template <class Call>
std::string RaisedText(Call call) {
    try {
        call();
    } catch (const VIEW_HostRaise& raise) {
        return VIEW_ErrorRegistry::Text(raise.Code());
    }
    return "";
}
