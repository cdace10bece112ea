// Host callbacks over this plug-in's static procedures: made under the
// plug-in's extension id, destroyed once and forgotten.
#pragma once

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "hostpdf/PDFL_CorCalls.h"

template <class Proc>
PDFL_ASCallback iXCHG_MakeCallback(Proc proc) {
    return PDFL_ASCallbackCreate(gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(proc));
}

inline void iXCHG_DestroyCallback(PDFL_ASCallback& callback) {
    if (callback) {
        PDFL_ASCallbackDestroy(callback);
        callback = nullptr;
    }
}
