// The seam between host errors and exceptions, in both directions.
//
// Outward: every host call goes through PDFL_GuardedCall. Without a
// host-error handler it calls the slot directly. With one it brackets the
// one slot call with a host exception frame (Core 2 with PlugInRestoreFrame,
// then Core 3 on every way out, exactly once); a host error comes back as
// Core 3, Core 4, then the handler with (code, unit, line). The installed
// handler throws; a test's handler that returns leaves a zero result. A
// program exception from a nested callback pops the frame and goes on
// unchanged.
//
// Inward: every host callback runs its member in PDFL_CallbackGuard, which
// keeps the nesting level and turns a GLIB_Exception into its mapped host
// code and std::bad_alloc into PDFL_BadAllocErrorCode, raising it through
// Core 1 after the catch block has ended; anything else is logged and
// rethrown. The out-of-memory and exception loggers act only at level 1,
// the system-exception logger at every level; the level after a callback
// equals the level before, whatever happened.
//
// This header holds the only setjmp of the plug-in (iPDFL_FramedCall).
// Between it and the host's restore procedure only trivially destructible
// objects live, so the jump skips no destructor.
#pragma once

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "GLIB/GLIB_Exception.h"
#include "viewer/host_api.h"

#include <csetjmp>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

class GLIB_GlobalsMessage;

using PDFL_HostErrorHandlerProc = void (*)(PDFL_ErrorCode code, const char* unit, int32_t line);
using PDFL_OutOfMemoryCodeFunc = PDFL_ErrorCode (*)();
using PDFL_OutOfMemoryLoggerFunc = void (*)(const char* className, const char* methodName);
using PDFL_ExceptionMapperFunc = PDFL_ErrorCode (*)(const GLIB_Exception& exception);
using PDFL_ExceptionLoggerFunc = void (*)(const GLIB_Exception& exception, const char* className,
                                          const char* methodName);
using PDFL_SystemExceptionLoggerFunc = void (*)(const char* className, const char* methodName);
// Called inside a catch block: whether the exception in flight is the
// host's raise on its way to the host's frame.
using PDFL_HostRaiseTestFunc = bool (*)();

// ---- Host-error handler ----------------------------------------------------

// Stores handler (null: none) and returns the one it replaces.
PDFL_HostErrorHandlerProc PDFL_SetHostErrorHandler(PDFL_HostErrorHandlerProc handler);
PDFL_HostErrorHandlerProc PDFL_HostErrorHandler();

// ---- The host's raise as a C++ exception -----------------------------------

// A host that delivers its raise by unwinding rather than by a jump installs
// its test here (null: none), so that catch-all barriers let the raise pass
// on to the host instead of mapping it to a code of their own.
PDFL_HostRaiseTestFunc PDFL_SetHostRaiseTest(PDFL_HostRaiseTestFunc test);
// Inside a catch block: false without a test.
bool PDFL_IsHostRaise();

// ---- Handler table (filled with the defaults from the start) ---------------

// Registers the out-of-memory text twice with severity 4 (the first code is
// PDFL_OutOfMemoryErrorCode, the second PDFL_BadAllocErrorCode), then
// stores the five defaults.
void PDFL_InstallHandlers();
void PDFL_SetOutOfMemoryLogger(PDFL_OutOfMemoryLoggerFunc logger);
void PDFL_SetExceptionMapper(PDFL_ExceptionMapperFunc mapper);
void PDFL_SetExceptionLogger(PDFL_ExceptionLoggerFunc logger);
void PDFL_SetSystemExceptionLogger(PDFL_SystemExceptionLoggerFunc logger);
PDFL_OutOfMemoryCodeFunc PDFL_OutOfMemoryCodeProc();
PDFL_ExceptionMapperFunc PDFL_ExceptionMapper();

// Both −1 until PDFL_InstallHandlers.
PDFL_ErrorCode PDFL_OutOfMemoryErrorCode();
PDFL_ErrorCode PDFL_BadAllocErrorCode();

// The defaults.
PDFL_ErrorCode PDFL_GetOutOfMemoryCode();            // PDFL_BadAllocErrorCode()
PDFL_ErrorCode PDFL_MapException(const GLIB_Exception& exception);  // 1125002: out of memory; else 0x40000001
void PDFL_LogOutOfMemory(const char* className, const char* methodName);
void PDFL_LogException(const GLIB_Exception& exception, const char* className,
                       const char* methodName);
void PDFL_LogSystemException(const char* className, const char* methodName);

// The code every other GLIB_Exception maps to by default.
constexpr PDFL_ErrorCode PDFL_DefaultExceptionCode = 0x40000001;

// ---- Callback nesting level ------------------------------------------------

int32_t PDFL_CallbackLevel();
int32_t PDFL_EnterCallback();   // the new level
int32_t PDFL_LeaveCallback();   // the new level

// ---- Catch paths: log, leave the level once, give the host code ------------

PDFL_ErrorCode PDFL_HandleException(const GLIB_Exception& exception, const char* className,
                                    const char* methodName);
PDFL_ErrorCode PDFL_HandleOutOfMemory(const char* className, const char* methodName);
void PDFL_HandleSystemException(const char* className, const char* methodName);

// Hands the settings to the one GLIB_Globals.
void PDFL_SetGlobals(const GLIB_GlobalsMessage& settings);

// ---- Direct Core calls of the frame and the guard --------------------------

void iPDFL_PushFrame(std::jmp_buf* frame);        // Core 2 with PlugInRestoreFrame
void iPDFL_PopFrame();                            // Core 3
PDFL_ErrorCode iPDFL_HandledErrorCode();          // Core 4
void iPDFL_RaiseHostError(PDFL_ErrorCode code);   // Core 1; the host does not return

// ---- The guarded host call -----------------------------------------------------

struct iPDFL_NoResult {};
template <class R>
using iPDFL_Result = std::conditional_t<std::is_void_v<R>, iPDFL_NoResult, R>;

// The framed region: push, setjmp, the one slot call. 1 after a host error.
template <class Proc, class Result, class... Args>
int iPDFL_FramedCall(Proc proc, Result* result, Args... args) {
    std::jmp_buf frame;
    iPDFL_PushFrame(&frame);
    if (setjmp(frame) != 0)
        return 1;
    if constexpr (std::is_same_v<Result, iPDFL_NoResult>)
        proc(args...);
    else
        *result = proc(args...);
    return 0;
}

// Slot Slot of table Table, called through hft with args, reported as
// (unit, line) when the host raises.
template <int Table, int Slot, class... Args>
auto PDFL_GuardedCall(PDFL_HFT hft, const char* unit, int32_t line, Args... args) {
    using Proc = typename PDFL_Slot<Table, Slot>::Proc;
    using R = decltype(std::declval<Proc>()(args...));
    static_assert((std::is_trivially_destructible_v<Args> && ...),
                  "PDFL_GuardedCall: every argument must be trivially destructible");
    static_assert(std::is_trivially_destructible_v<iPDFL_Result<R>>,
                  "PDFL_GuardedCall: the result must be trivially destructible");
    const Proc proc = reinterpret_cast<Proc>(hft[Slot]);
    const PDFL_HostErrorHandlerProc handler = PDFL_HostErrorHandler();
    if (!handler)
        return proc(args...);
    iPDFL_Result<R> result{};
    int jumped = 0;
    try {
        jumped = iPDFL_FramedCall(proc, &result, args...);
    } catch (...) {
        iPDFL_PopFrame();
        throw;
    }
    iPDFL_PopFrame();
    if (jumped)
        handler(iPDFL_HandledErrorCode(), unit, line);
    if constexpr (!std::is_void_v<R>)
        return jumped ? R{} : result;
}

// ---- The callback guard ----------------------------------------------------------

// Runs member() as the callback className::methodName of the host.
template <class Member>
auto PDFL_CallbackGuard(const char* className, const char* methodName, Member member)
    -> decltype(member()) {
    using R = decltype(member());
    static_assert(std::is_trivially_destructible_v<Member>,
                  "PDFL_CallbackGuard: the host's raise must not skip a destructor");
    static_assert(std::is_trivially_destructible_v<iPDFL_Result<R>>,
                  "PDFL_CallbackGuard: the result must be trivially destructible");
    PDFL_ErrorCode code = 0;
    PDFL_EnterCallback();
    try {
        if constexpr (std::is_void_v<R>) {
            member();
            PDFL_LeaveCallback();
            return;
        } else {
            R result = member();
            PDFL_LeaveCallback();
            return result;
        }
    } catch (const GLIB_Exception& exception) {
        code = PDFL_HandleException(exception, className, methodName);
    } catch (const std::bad_alloc&) {
        code = PDFL_HandleOutOfMemory(className, methodName);
    } catch (...) {
        PDFL_HandleSystemException(className, methodName);
        throw;
    }
    // Raised only after the catch block: the host's raise jumps, and a jump
    // out of a catch block would never free the caught exception.
    iPDFL_RaiseHostError(code);
    if constexpr (!std::is_void_v<R>)
        return R{};
}
