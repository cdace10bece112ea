#include "viewer/VIEW_ErrorRegistry.h"

#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_HostError.h"

#include <cstring>
#include <map>

namespace {

// Far from the plug-in's own default code (0x40000001), so a mix-up shows.
constexpr PDFL_ErrorCode FirstCode = 0x00A00001;
// File errors carry errno above VIEW_FileErrorBase.
constexpr PDFL_ErrorCode MostErrno = 4096;

struct Entry {
    uint16_t m_severity;
    std::string m_text;
};

struct State {
    std::map<PDFL_ErrorCode, Entry> m_entries;
    PDFL_ErrorCode m_next = FirstCode;
};

State& TheState() {
    static State state;
    return state;
}

}  // namespace

PDFL_ErrorCode VIEW_ErrorRegistry::Register(uint16_t severity, const char* text) {
    if (!text)
        throw VIEW_AssertionFailure("error text is null");
    State& state = TheState();
    const PDFL_ErrorCode code = state.m_next++;
    state.m_entries[code] = {severity, text};
    return code;
}

std::string VIEW_ErrorRegistry::Text(PDFL_ErrorCode code) {
    const auto& entries = TheState().m_entries;
    const auto found = entries.find(code);
    if (found != entries.end())
        return found->second.m_text;
    const PDFL_ErrorCode errnoValue = code - VIEW_FileErrorBase;
    if (code > VIEW_FileErrorBase && errnoValue < MostErrno)
        return std::strerror(static_cast<int>(errnoValue));
    return std::string();
}

int32_t VIEW_ErrorRegistry::Severity(PDFL_ErrorCode code) {
    const auto& entries = TheState().m_entries;
    const auto found = entries.find(code);
    return found == entries.end() ? -1 : found->second.m_severity;
}

const char* VIEW_ErrorRegistry::CopyText(PDFL_ErrorCode code, char* buffer, int32_t size) {
    if (!buffer || size <= 0)
        return buffer;
    const std::string text = Text(code);
    const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return buffer;
}

void VIEW_ErrorRegistry::Reset() {
    TheState() = State();
}
