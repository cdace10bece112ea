// The two exceptions of the stand-in itself. A host error raised inside the
// stand-in (Core slot 1, the fault injector, a slot's own failure) travels
// as VIEW_HostRaise through the stand-in's C++ frames; it becomes a jump to
// the plug-in's frame only at a slot boundary (VIEW_SlotBoundary.h). A
// misuse of the interface by the plug-in (a destroyed callback, a record of
// the wrong size, an unbalanced frame) is a VIEW_AssertionFailure.
#pragma once

#include "viewer/host_api.h"

#include <stdexcept>
#include <string>

class VIEW_HostRaise {
public:
    explicit VIEW_HostRaise(PDFL_ErrorCode code) : m_code(code) {}
    PDFL_ErrorCode Code() const { return m_code; }

private:
    PDFL_ErrorCode m_code;
};

// Called inside a catch block: whether the exception in flight is a host
// raise. The plug-in's catch-all barriers take it as their test, so that a
// raise passes them as the host's jump would.
inline bool VIEW_IsHostRaise() {
    try {
        throw;
    } catch (const VIEW_HostRaise&) {
        return true;
    } catch (...) {
        return false;
    }
}

class VIEW_AssertionFailure : public std::logic_error {
public:
    explicit VIEW_AssertionFailure(const std::string& text)
        : std::logic_error("viewer stand-in: " + text) {}
};
