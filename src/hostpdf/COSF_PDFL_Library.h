// The one object that binds the object model to the host's PDF library:
// the initialised flag, the lock around host document open, close and
// save-as, and the translation between host error codes and GLIB_Exception
// in both directions.
#pragma once

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Observable.h"
#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstdint>

class GLIB_GlobalsMessage;

class COSF_PDFL_Library : public GLIB_MessageTarget {
public:
    // Code of a host error carried as an exception; parameter 0 holds the
    // host code in decimal.
    static constexpr uint32_t HostErrorCode = 1127008;

    // Registers this object as the single instance and clears the
    // initialised flag; a second object logs an ERROR line and leaves the
    // registered one in place.
    COSF_PDFL_Library();
    // Unregisters this object when it is the registered one.
    ~COSF_PDFL_Library() override;

    // The handlers of the callback guard, then HostErrorHandler and
    // MapException installed; the flag set.
    static void Initialize();
    static bool IsInitialized();
    // Initialised before its first use; held only around the shared-open
    // registry work of host document open, close and save-as.
    static CRITICAL_SECTION& Lock();
    static void SetGlobals(const GLIB_GlobalsMessage& record);

    // PDFL_BadAllocErrorCode: std::bad_alloc ("bad allocation").
    // PDFL_OutOfMemoryErrorCode: a GLIB_Exception with that code. Any other
    // code: HostErrorCode with "PDF Library Error: <host text> (<code>)".
    [[noreturn]] static void HostErrorHandler(PDFL_ErrorCode code, const char* file, int32_t line);
    // Keeps a copy (LastException). HostErrorCode: parameter 0 read as a
    // decimal number (empty: 0); GLIB_OutOfMemoryCode:
    // PDFL_OutOfMemoryErrorCode; any other code: 0x40000001.
    static PDFL_ErrorCode MapException(const GLIB_Exception& exception);
    // Code 0 and no texts until the first MapException.
    static const GLIB_Exception& LastException();

    // The registered instance, or null.
    static const COSF_PDFL_Library* Instance();
};

// Every back-end entry starts with this.
#define COSF_PDFL_ASSERT_INITIALIZED() GLIB_ASSERT(COSF_PDFL_Library::IsInitialized())
