#include "hostpdf/PDFL_ExceptionHandler.h"

#include "GLIB/GLIB_Globals.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_MessageStream.h"
#include "hostpdf/PDFL_ASCalls.h"

namespace {

const char* const OutOfMemoryText =
    "Out of Memory\n\nTry to increase the amount of memory\ndedicated to this program";
constexpr uint16_t OutOfMemorySeverity = 4;

PDFL_HostErrorHandlerProc sHostErrorHandler = nullptr;
PDFL_HostRaiseTestFunc sHostRaiseTest = nullptr;

// Filled with the defaults from the start, so that a callback failing before
// PDFL_InstallHandlers (ExportHFTs, ImportReplaceAndRegister) never calls a
// null entry.
PDFL_OutOfMemoryCodeFunc sOutOfMemoryCode = PDFL_GetOutOfMemoryCode;
PDFL_OutOfMemoryLoggerFunc sOutOfMemoryLogger = PDFL_LogOutOfMemory;
PDFL_ExceptionMapperFunc sExceptionMapper = PDFL_MapException;
PDFL_ExceptionLoggerFunc sExceptionLogger = PDFL_LogException;
PDFL_SystemExceptionLoggerFunc sSystemExceptionLogger = PDFL_LogSystemException;

PDFL_ErrorCode sOutOfMemoryErrorCode = -1;
PDFL_ErrorCode sBadAllocErrorCode = -1;

int32_t sCallbackLevel = 0;

template <int Slot>
typename PDFL_Slot<PDFL_CoreTable, Slot>::Proc CoreSlot() {
    return reinterpret_cast<typename PDFL_Slot<PDFL_CoreTable, Slot>::Proc>(gXCHG_CoreHFT[Slot]);
}

}  // namespace

PDFL_HostErrorHandlerProc PDFL_SetHostErrorHandler(PDFL_HostErrorHandlerProc handler) {
    const PDFL_HostErrorHandlerProc previous = sHostErrorHandler;
    sHostErrorHandler = handler;
    return previous;
}

PDFL_HostErrorHandlerProc PDFL_HostErrorHandler() {
    return sHostErrorHandler;
}

PDFL_HostRaiseTestFunc PDFL_SetHostRaiseTest(PDFL_HostRaiseTestFunc test) {
    const PDFL_HostRaiseTestFunc previous = sHostRaiseTest;
    sHostRaiseTest = test;
    return previous;
}

bool PDFL_IsHostRaise() {
    return sHostRaiseTest && sHostRaiseTest();
}

void PDFL_InstallHandlers() {
    sOutOfMemoryErrorCode = PDFL_ASRegisterErrorString(OutOfMemorySeverity, OutOfMemoryText);
    sBadAllocErrorCode = PDFL_ASRegisterErrorString(OutOfMemorySeverity, OutOfMemoryText);
    sOutOfMemoryCode = PDFL_GetOutOfMemoryCode;
    sOutOfMemoryLogger = PDFL_LogOutOfMemory;
    sExceptionMapper = PDFL_MapException;
    sExceptionLogger = PDFL_LogException;
    sSystemExceptionLogger = PDFL_LogSystemException;
}

void PDFL_SetOutOfMemoryLogger(PDFL_OutOfMemoryLoggerFunc logger) {
    sOutOfMemoryLogger = logger;
}

void PDFL_SetExceptionMapper(PDFL_ExceptionMapperFunc mapper) {
    sExceptionMapper = mapper;
}

void PDFL_SetExceptionLogger(PDFL_ExceptionLoggerFunc logger) {
    sExceptionLogger = logger;
}

void PDFL_SetSystemExceptionLogger(PDFL_SystemExceptionLoggerFunc logger) {
    sSystemExceptionLogger = logger;
}

PDFL_OutOfMemoryCodeFunc PDFL_OutOfMemoryCodeProc() {
    return sOutOfMemoryCode;
}

PDFL_ExceptionMapperFunc PDFL_ExceptionMapper() {
    return sExceptionMapper;
}

PDFL_ErrorCode PDFL_OutOfMemoryErrorCode() {
    return sOutOfMemoryErrorCode;
}

PDFL_ErrorCode PDFL_BadAllocErrorCode() {
    return sBadAllocErrorCode;
}

PDFL_ErrorCode PDFL_GetOutOfMemoryCode() {
    return PDFL_BadAllocErrorCode();
}

PDFL_ErrorCode PDFL_MapException(const GLIB_Exception& exception) {
    return exception.Code() == GLIB_OutOfMemoryCode ? PDFL_OutOfMemoryErrorCode()
                                                    : PDFL_DefaultExceptionCode;
}

void PDFL_LogOutOfMemory(const char* className, const char* methodName) {
    if (PDFL_CallbackLevel() != 1)
        return;
    GLIB_MessageStream ms;
    ms << className << "::" << methodName << " out of memory: ";
    ms.Log(GLIB_LogError, __FILE__, __LINE__);
}

void PDFL_LogException(const GLIB_Exception& exception, const char* className,
                       const char* methodName) {
    if (PDFL_CallbackLevel() != 1)
        return;
    GLIB_MessageStream ms;
    ms << className << "::" << methodName << "caught an exception: " << exception.What() << " ("
       << exception.Code() << ")";
    ms.Log(GLIB_LogError, __FILE__, __LINE__);
}

void PDFL_LogSystemException(const char* className, const char* methodName) {
    GLIB_MessageStream ms;
    ms << className << "::" << methodName << " caught a system exception: ";
    ms.Log(GLIB_LogError, __FILE__, __LINE__);
}

int32_t PDFL_CallbackLevel() {
    return sCallbackLevel;
}

int32_t PDFL_EnterCallback() {
    return ++sCallbackLevel;
}

int32_t PDFL_LeaveCallback() {
    return --sCallbackLevel;
}

PDFL_ErrorCode PDFL_HandleException(const GLIB_Exception& exception, const char* className,
                                    const char* methodName) {
    sExceptionLogger(exception, className, methodName);
    PDFL_LeaveCallback();
    return sExceptionMapper(exception);
}

PDFL_ErrorCode PDFL_HandleOutOfMemory(const char* className, const char* methodName) {
    sOutOfMemoryLogger(className, methodName);
    PDFL_LeaveCallback();
    return sOutOfMemoryCode();
}

void PDFL_HandleSystemException(const char* className, const char* methodName) {
    sSystemExceptionLogger(className, methodName);
    PDFL_LeaveCallback();
}

void PDFL_SetGlobals(const GLIB_GlobalsMessage& settings) {
    GLIB_Globals::Instance().SetAll(settings);
}

void iPDFL_PushFrame(std::jmp_buf* frame) {
    CoreSlot<2>()(frame, PlugInRestoreFrame);
}

void iPDFL_PopFrame() {
    CoreSlot<3>()();
}

PDFL_ErrorCode iPDFL_HandledErrorCode() {
    return CoreSlot<4>()();
}

void iPDFL_RaiseHostError(PDFL_ErrorCode code) {
    CoreSlot<1>()(code);
}
