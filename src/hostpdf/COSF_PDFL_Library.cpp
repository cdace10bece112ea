#include "hostpdf/COSF_PDFL_Library.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <cstdlib>
#include <string>

namespace {

const COSF_PDFL_Library* sInstance = nullptr;
bool sInitialized = false;

GLIB_Exception& LastMapped() {
    static GLIB_Exception last(0, static_cast<const char*>(nullptr), nullptr, 0);
    return last;
}

struct Section {
    Section() { InitializeCriticalSection(&m_section); }
    CRITICAL_SECTION m_section;
};

// Host texts are at most 512 bytes, the formatted message too.
constexpr int32_t TextSize = 512;

}  // namespace

COSF_PDFL_Library::COSF_PDFL_Library() {
    if (sInstance) {
        GLIB_LOG(GLIB_LogError, "Only allowed to have one instance of COSF_PDFL_Library");
        return;
    }
    sInstance = this;
    sInitialized = false;
}

COSF_PDFL_Library::~COSF_PDFL_Library() {
    // A refused second object must not unregister the first.
    if (sInstance == this)
        sInstance = nullptr;
}

void COSF_PDFL_Library::Initialize() {
    PDFL_InstallHandlers();
    PDFL_SetHostErrorHandler(&COSF_PDFL_Library::HostErrorHandler);
    PDFL_SetExceptionMapper(&COSF_PDFL_Library::MapException);
    sInitialized = true;
}

bool COSF_PDFL_Library::IsInitialized() {
    return sInitialized;
}

CRITICAL_SECTION& COSF_PDFL_Library::Lock() {
    static Section section;
    return section.m_section;
}

void COSF_PDFL_Library::SetGlobals(const GLIB_GlobalsMessage& record) {
    PDFL_SetGlobals(record);
}

void COSF_PDFL_Library::HostErrorHandler(PDFL_ErrorCode code, const char* file, int32_t line) {
    if (code == PDFL_BadAllocErrorCode())
        throw GLIB_BadAllocException(0, file, line);
    char text[TextSize] = {};
    PDFL_ASGetErrorString(code, text, TextSize);
    // "PDF Library Error: %s (%d)", cut to the 512 bytes it is formatted into.
    std::string message = "PDF Library Error: " + std::string(text) + " (" +
                          std::to_string(code) + ")";
    if (message.size() >= static_cast<size_t>(TextSize))
        message.resize(TextSize - 1);
    if (code == PDFL_OutOfMemoryErrorCode())
        throw GLIB_Exception(static_cast<uint32_t>(code), message, file, line);
    throw GLIB_Exception(HostErrorCode, std::vector<std::string>{std::to_string(code)},
                         message.c_str(), file, line);
}

PDFL_ErrorCode COSF_PDFL_Library::MapException(const GLIB_Exception& exception) {
    LastMapped() = exception;
    switch (exception.Code()) {
    case HostErrorCode:
        return static_cast<PDFL_ErrorCode>(std::strtol(exception.Param(0).c_str(), nullptr, 10));
    case GLIB_OutOfMemoryCode:
        return PDFL_OutOfMemoryErrorCode();
    default:
        return PDFL_DefaultExceptionCode;
    }
}

const GLIB_Exception& COSF_PDFL_Library::LastException() {
    return LastMapped();
}

const COSF_PDFL_Library* COSF_PDFL_Library::Instance() {
    return sInstance;
}
