// Callbacks (Core slots 8 and 9): a handle per created procedure. The
// plug-in's procedures are called only through the stand-in, by handle;
// calling a destroyed or unknown handle is a VIEW_AssertionFailure.
#pragma once

#include "viewer/VIEW_Frames.h"
#include "viewer/host_api.h"

#include <cstddef>

class VIEW_Callbacks {
public:
    static PDFL_ASCallback Create(PDFL_ExtensionID extension, PDFL_Proc proc);
    // Destroying a handle twice is a VIEW_AssertionFailure.
    static void Destroy(PDFL_ASCallback callback);
    // The procedure of a live handle.
    static PDFL_Proc Procedure(PDFL_ASCallback callback);
    static PDFL_ExtensionID Owner(PDFL_ASCallback callback);
    static size_t LiveCount();
    static size_t LiveCountOf(PDFL_ExtensionID owner);
    // Ends every handle of owner (its module is unloaded).
    static void DropOwnedBy(PDFL_ExtensionID owner);
    static void Reset();
};

// Calls the procedure of callback, of type Signature, inside a stand-in
// frame (VIEW_CallPlugin).
template <class Signature, class... Args>
auto VIEW_InvokeCallback(PDFL_ASCallback callback, Args... args) {
    Signature* const proc = reinterpret_cast<Signature*>(VIEW_Callbacks::Procedure(callback));
    return VIEW_CallPlugin([&] { return proc(args...); });
}
